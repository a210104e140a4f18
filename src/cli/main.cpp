#include "assignment/journal/JournalStore.h"
#include "cli/Commands.h"
#include "faces/FaceDetector.h"
#include "faces/OpenCvThreads.h"
#include "platform/database/OdbcConnectionString.h"
#include "platform/settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

struct Command {
    std::string_view name;
    int (*run)(const QStringList& arguments, const ProgramSettings& program);
};

// Each command adds its line here.
const std::vector<Command> kCommands = {
    {"assign", RunAssignCommand}, {"resize", RunResizeCommand}, {"inspect", RunInspectCommand},
    {"runs", RunRunsCommand},     {"undo", RunUndoCommand},     {"export", RunExportCommand},
};

void PrintUsage()
{
    std::fputs("usage: student-photo-cli COMMAND [OPTIONS]\n"
               "commands:\n",
               stderr);
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  %.*s\n", static_cast<int>(command.name.size()), command.name.data());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // What the environment chooses, read here once and handed to the command.
    const ProgramSettings defaults{.odbcDriver = DefaultOdbcDriver(),
                                   .dataFolder = JournalStore::DefaultDataFolder(),
                                   .faceModel = FaceDetector::DefaultCascadeFile(),
                                   .settingsFile = {}, // the user's own store
                                   .testCamera = {}};  // the machine's camera
    const ProgramSettings program = ProgramSettingsFrom(QProcessEnvironment::systemEnvironment(), defaults);
    KeepOpenCvOnCallingThreads();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        PrintUsage();
        return kExitUsage;
    }
    const QString name = arguments.takeFirst();
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name.data(), static_cast<qsizetype>(command.name.size())))
            return command.run(arguments, program);
    }
    PrintUsage();
    return kExitUsage;
}
