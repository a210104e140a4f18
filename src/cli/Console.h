#pragma once

#include <QString>

#include <cstdio>

// Writes text to a standard stream at once, so that messages and the
// progress bar interleave in the right order. A Windows console gets it as
// UTF-16, which it shows whatever its code page (Chinese in the ANSI code
// page of a Western Windows would print as "?"); a file or pipe there gets
// UTF-8. Elsewhere it is written in the terminal's encoding.
void WriteText(std::FILE* out, const QString& text);

// WriteText() of the text and a line end.
void PrintLine(std::FILE* out, const QString& text);

// Reports wrong usage of a command: what is wrong, then the command's usage
// text, on standard error. Returns the exit code for wrong usage.
int UsageError(const char* command, const char* usage, const QString& problem);

// Answers --help: the command's usage text on standard output. Returns the
// exit code of success.
int PrintUsage(const char* usage);
