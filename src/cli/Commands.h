#pragma once

#include <QStringList>

// Exit codes shared by every command.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1; // the run failed; the message says why
constexpr int kExitUsage = 2;  // wrong arguments

// Each command takes the arguments after its name and returns the exit code.

// assign --install-dir DIR --roster FILE (--photos DIR | --photo-list FILE...)
int RunAssignCommand(const QStringList& arguments);

// resize --source DIR --target DIR [--width 120] [--height 180] [--fit stretch|crop|face] [--jobs N]
int RunResizeCommand(const QStringList& arguments);

// inspect FILE... [--to-bmp OUT]
int RunInspectCommand(const QStringList& arguments);
