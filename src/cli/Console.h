#pragma once

#include <QString>

#include <cstdio>

// Writes one line to a standard stream in the terminal's encoding, at once,
// so that messages and the progress bar interleave in the right order.
void PrintLine(std::FILE* out, const QString& text);

// Reports wrong usage of a command: what is wrong, then the command's usage
// text, on standard error. Returns the exit code for wrong usage.
int UsageError(const char* command, const char* usage, const QString& problem);
