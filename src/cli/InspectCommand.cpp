// student-photo-cli inspect: the picture inspection, which needs no Qt, run
// with the command line's arguments.
#include "cli/Commands.h"
#include "cli/inspect/PictureInspection.h"

#include <iostream>
#include <string>
#include <vector>

int RunInspectCommand(const QStringList& arguments, const ProgramSettings& /*program*/)
{
    std::vector<std::string> utf8;
    for (const QString& argument : arguments)
        utf8.push_back(argument.toStdString());
    return RunPictureInspection(utf8, "student-photo-cli inspect", std::cout, std::cerr);
}
