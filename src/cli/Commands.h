#pragma once

#include "assignment/checks/FaceReview.h"

#include <QStringList>

#include <functional>

struct ProgramSettings;

// Exit codes shared by every command.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;     // refused or failed; the message says why
constexpr int kExitUsage = 2;      // wrong arguments
constexpr int kExitIncomplete = 3; // went through, but not every student was done (or a plan has warnings)

// Each command takes the arguments after its name and the settings the
// program read as it started (ProgramSettings.h), and returns the exit code.

// assign --install-dir DIR --roster FILE (--photos DIR | --photo-list FILE... | --pair index FILE)
//        [--pair position|name] [--dry-run] [--proof-sheet FILE.html] [--no-undo] [--shift-checked] [--jobs N]
int RunAssignCommand(const QStringList& arguments, const ProgramSettings& program);
// The examination that looks at the faces on `jobs` threads (0: one per core).
using FaceExaminationOn = std::function<FaceExamination(int jobs)>;
// The same, the faces looked at by `examinationOn` rather than by the survey
// and checks with the program's face model (tests hand it a made one).
int RunAssignCommand(const QStringList& arguments, const ProgramSettings& program,
                     const FaceExaminationOn& examinationOn);

// runs --install-dir DIR
int RunRunsCommand(const QStringList& arguments, const ProgramSettings& program);

// undo --install-dir DIR [--run ID] [--force]
int RunUndoCommand(const QStringList& arguments, const ProgramSettings& program);

// resize --source DIR --target DIR [--width 120] [--height 180] [--fit stretch|crop|face]
//        [--sampling exact|smooth] [--format jpeg|bmp] [--jobs N] [--overwrite]
int RunResizeCommand(const QStringList& arguments, const ProgramSettings& program);

// export --install-dir DIR --out DIR [--roster FILE] [--school-code CODE] [--photo-day DIR]
int RunExportCommand(const QStringList& arguments, const ProgramSettings& program);

// inspect FILE... [--to-bmp OUT]
int RunInspectCommand(const QStringList& arguments, const ProgramSettings& program);
