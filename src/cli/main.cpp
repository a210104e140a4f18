#include "cli/Commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

struct Command {
    std::string_view name;
    int (*run)(const QStringList& arguments);
};

// Each command adds its line here.
const std::vector<Command> kCommands = {
    {"assign", RunAssignCommand}, {"resize", RunResizeCommand}, {"inspect", RunInspectCommand},
    {"runs", RunRunsCommand},     {"undo", RunUndoCommand},
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
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        PrintUsage();
        return kExitUsage;
    }
    const QString name = arguments.takeFirst();
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name.data(), static_cast<qsizetype>(command.name.size())))
            return command.run(arguments);
    }
    PrintUsage();
    return kExitUsage;
}
