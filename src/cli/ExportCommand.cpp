// student-photo-cli export: the students' photos as the national student
// register takes them, by grade and class, one zip per class, and the list.
#include "assignment/input/Roster.h"
#include "assignment/site/SiteConfig.h"
#include "cli/CommandOptions.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressBar.h"
#include "export/RegisterExport.h"
#include "faces/FaceDetector.h"
#include "files/FolderString.h"
#include "platform/database/TADOQuery.h"
#include "platform/settings/InstallationFolderStore.h"
#include "platform/settings/ProgramSettings.h"

#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <variant>

namespace {

const char kExportUsage[] =
    "usage: student-photo-cli export --install-dir DIR --out DIR [--roster FILE] [--school-code CODE]\n"
    "                                [--photo-day DIR]\n"
    "  the students' photos for the national student register: framed on the face at 26:32\n"
    "  (358 x 441, down to 154 x 189), JPEG under 60 KB, named by ID number, in\n"
    "  OUT/<grade>/<class>/ with OUT/<grade>/<class>.zip per class; students without an ID\n"
    "  number as OUT/无身份证号/<school code>_<class>_<name>.jpg; the list OUT/导出清单.csv\n"
    "  --out DIR          an empty or new folder: an export never writes over anything\n"
    "  --roster FILE      only these students (one code a line); the photo day's folder is\n"
    "                     the roster's folder\n"
    "  --school-code CODE the school's identification code (学校标识码); else the setting\n"
    "                     SchoolCode, else the organization table's\n"
    "  --photo-day DIR    the photo day's folder: its full-size originals (原图/CODE.jpg)\n"
    "                     come before the site's photos\n"
    "  columns: sfzh/sfzjh/idcard/idnumber/身份证号, nj/grade/年级, bj/class/classname/班级,\n"
    "  or the settings IdColumn, GradeColumn, ClassColumn\n"
    "  exit codes: 0 every student exported, 3 some not (the list says why), 1 refused, 2 usage\n";

} // namespace

int RunExportCommand(const QStringList& arguments, const ProgramSettings& program)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(kExportUsage, stdout);
        return kExitSuccess;
    }
    const auto parsed = ParseOptions(arguments, {{"--install-dir", OptionValues::One, OptionPresence::Required},
                                                 {"--out", OptionValues::One, OptionPresence::Required},
                                                 {"--roster"},
                                                 {"--school-code"},
                                                 {"--photo-day"}});
    if (const QString* problem = std::get_if<QString>(&parsed))
        return UsageError("export", kExportUsage, *problem);
    const GivenOptions& options = std::get<GivenOptions>(parsed);
    const QString installDir = options.Value("--install-dir");
    if (!QFileInfo(installDir).isDir())
        return UsageError("export", kExportUsage,
                          QStringLiteral("the installation folder %1 does not exist").arg(installDir));

    const InstallationFolderStore store = program.settingsFile.isEmpty()
                                              ? InstallationFolderStore::ForCurrentUser()
                                              : InstallationFolderStore::AtFile(program.settingsFile);
    ExportRequest request;
    request.installationFolder = FolderString(installDir);
    request.outFolder = options.Value("--out");
    request.schoolCode = options.Value("--school-code", store.SchoolCode()).trimmed();
    request.columns = {store.NameColumn(), store.IdColumn(), store.GradeColumn(), store.ClassColumn()};
    request.faceModel = program.faceModel;
    try {
        if (options.Has("--roster")) {
            const QString roster = options.Value("--roster");
            request.roster = ReadRoster(roster);
            request.photoDayFolder = QFileInfo(roster).absolutePath();
        }
        request.photoDayFolder = options.Value("--photo-day", request.photoDayFolder);

        TADOQuery query(program.odbcDriver);
        std::optional<ProgressBar> bar;
        const ExportSummary summary = RunRegisterExport(query, request, [&bar](qsizetype done, qsizetype total) {
            if (!bar)
                bar.emplace(QStringLiteral("导出学籍照片"), total);
            bar->Update(done);
        });
        bar.reset();
        PrintLine(stdout, summary.Text());
        PrintLine(
            stdout,
            QStringLiteral("清单：%1").arg(QFileInfo(request.outFolder + u'/' + kExportListName).absoluteFilePath()));
        return summary.Count(ExportOutcome::Exported) == summary.lines.size() ? kExitSuccess : kExitIncomplete;
    } catch (const ERosterError& error) {
        PrintLine(stderr, kRosterFailedMessage + QString::fromUtf8(error.what()));
    } catch (const std::runtime_error& error) {
        // Refused (EExportFailed), or the site, its database or the face
        // model failed; each message is for the user.
        PrintLine(stderr, QString::fromUtf8(error.what()));
    }
    return kExitFailed;
}
