// student-photo-cli assign: the main window's assignment run from a terminal.
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressBar.h"

#include "common/files/FolderString.h"
#include "common/files/RegularFile.h"
#include "main_window/AssignmentRun.h"
#include "main_window/PhotoList.h"
#include "main_window/Roster.h"
#include "platform/OdbcConnectionString.h"
#include "platform/TADOQuery.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <variant>

namespace {

const char kUsage[] = "usage: student-photo-cli assign --install-dir DIR --roster FILE\n"
                      "                              (--photos DIR | --photo-list FILE...)\n"
                      "  --install-dir DIR   the web application's installation folder (holds Web.config\n"
                      "                      and upload/StudentPhoto/)\n"
                      "  --roster FILE       the student codes, one per line\n"
                      "  --photos DIR        the folder's .jpg and .bmp files, in the order a file manager\n"
                      "                      shows them\n"
                      "  --photo-list FILE...  these photo files, all in one folder, in the order given\n"
                      "The database driver is STUDENT_PHOTO_ODBC_DRIVER, or FreeTDS when it is not set.\n";



struct Arguments {
    QString installDir;
    QString roster;
    std::optional<QString> photoFolder;
    std::optional<QStringList> photoFiles;
};

// Returns the arguments, or the usage problem.
std::variant<Arguments, QString> Parse(const QStringList& arguments)
{
    Arguments parsed;
    bool haveInstallDir = false;
    bool haveRoster = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--")))
                return std::nullopt;
            return arguments[++i];
        };
        if (option == u"--install-dir" || option == u"--roster" || option == u"--photos") {
            const std::optional<QString> given = value();
            if (!given)
                return QStringLiteral("%1 needs a value").arg(option);
            if (option == u"--install-dir") {
                parsed.installDir = *given;
                haveInstallDir = true;
            } else if (option == u"--roster") {
                parsed.roster = *given;
                haveRoster = true;
            } else {
                parsed.photoFolder = *given;
            }
        } else if (option == u"--photo-list") {
            QStringList files;
            while (const std::optional<QString> file = value())
                files << *file;
            if (files.isEmpty())
                return QStringLiteral("--photo-list needs at least one file");
            parsed.photoFiles = parsed.photoFiles.value_or(QStringList()) + files;
        } else {
            return QStringLiteral("unknown argument %1").arg(option);
        }
    }
    if (!haveInstallDir)
        return QStringLiteral("--install-dir is missing");
    if (!haveRoster)
        return QStringLiteral("--roster is missing");
    if (parsed.photoFolder.has_value() == parsed.photoFiles.has_value())
        return QStringLiteral("give either --photos or --photo-list");
    return parsed;
}

} // namespace

int RunAssignCommand(const QStringList& arguments)
{
    const auto parsed = Parse(arguments);
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("assign", kUsage, *problem);
    const Arguments& args = std::get<Arguments>(parsed);

    PhotoList photos;
    if (args.photoFolder) {
        if (!QFileInfo(*args.photoFolder).isDir())
            return UsageError("assign", kUsage, QStringLiteral("the photo folder %1 does not exist").arg(*args.photoFolder));
        photos = PhotoListOfFolder(*args.photoFolder);
    } else {
        try {
            photos = PhotoListFromChosenFiles(*args.photoFiles, PhotoOrder::AsGiven);
        } catch (const EFileAccessError& error) {
            PrintLine(stderr, QString::fromStdString(error.what()));
            return kExitFailed;
        }
        for (const QString& file : *args.photoFiles) {
            if (FolderString(QFileInfo(file).path()) != photos.folder)
                return UsageError("assign", kUsage, QStringLiteral("the files of --photo-list must lie in one folder"));
        }
    }

    AssignmentInput input;
    input.installationFolder = FolderString(args.installDir);
    input.photoFolder = photos.folder;
    input.photoNames = photos.names;
    try {
        input.codes = ReadRoster(args.roster);
    } catch (const ERosterError& error) {
        PrintLine(stdout, QStringLiteral("读入数据失败，请确定数据格式是否正确！ "));
        PrintLine(stderr, QString::fromStdString(error.what()));
        return kExitFailed;
    }

    TADOQuery query(DefaultOdbcDriver());
    AssignmentOutcome outcome;
    {
        ProgressBar bar(QStringLiteral("设置学生图片"), input.codes.size());
        outcome = RunAssignment(input, query, [&bar](qsizetype done) { bar.Update(done); });
    }
    PrintLine(stdout, outcome.message);
    if (!outcome.failureReason.isEmpty())
        PrintLine(stderr, outcome.failureReason);
    return outcome.result == AssignmentOutcome::Result::Completed ? kExitSuccess : kExitFailed;
}
