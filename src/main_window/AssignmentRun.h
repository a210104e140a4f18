#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class TADOQuery;

// What an assignment run works on: the web application's installation
// folder, the photo folder and the two lists that are paired by position.
struct AssignmentInput {
    // Nothing while no installation folder has been chosen. The folder text
    // ends with its separator; file names are appended to it directly.
    std::optional<QString> installationFolder;
    QString photoFolder; // a folder string; empty while no photos are loaded
    QStringList codes;
    QStringList photoNames;
};

struct AssignmentOutcome {
    enum class Result {
        Refused,   // an input check stopped the run; nothing was touched
        Failed,    // the run began and ended on an error
        Completed, // every student was gone through
    };
    Result result = Result::Refused;
    // What the user is shown when the run ends.
    QString message;
    // The main window's status panel 0 after the run; empty when a refusal
    // leaves it as it was.
    QString statusText;
    // The error that ended a failed run (a missing folder, the Web.config, the
    // database's own message), for the command line's error output.
    QString failureReason;
    // Codes whose photo could not be copied; their rows were not written.
    QStringList notCopied;
    // Codes whose statement changed no row: no such student in the table.
    QStringList noRowChanged;
    // Students gone through, as the gauge shows them.
    qsizetype studentsDone = 0;
};

namespace AssignmentMessages {
inline const QString kFolderNotChosen = QStringLiteral("请选择要更新的目录！");
inline const QString kNoPhotos = QStringLiteral("没有加载图片!");
inline const QString kCountsDiffer = QStringLiteral("学生数和图片数不一致，请重试！");
inline const QString kDone = QStringLiteral("图片设置完成，请重新启动IIS");
inline const QString kDoneStatus = QStringLiteral("图片设置完成");
inline const QString kFailed = QStringLiteral("图片设置失败，请确认软件目录是否选择正确");
inline const QString kFailedStatus = QStringLiteral("更新失败");
} // namespace AssignmentMessages

// True when `code` can stand as a file name inside the web application's
// photo folder on every platform: no "/" or "\", not "." or "..", no control
// character, none of <>:"|?*. The empty code is allowed (its photo becomes
// ".jpg").
bool IsSafePhotoCode(const QString& code);

// The web path the application shows a student's photo under.
QString PhotoWebPath(const QString& code);

// The assignment run. After the input checks (folder chosen, photos loaded,
// equal counts, every code usable as a file name) it loads the site's
// Web.config, connects `query` and reads the organization table to prove the
// database, then for each student in order copies the photo byte for byte to
// the installation folder's upload/StudentPhoto/ as code + ".jpg" and
// writes its web path into the student's row, reporting each student done
// to `progress`. A photo that cannot be copied leaves its row alone and the
// run goes on; any other error ends the run where it is, with what was done
// before it kept. `query` is closed when the run ends.
AssignmentOutcome RunAssignment(const AssignmentInput& input, TADOQuery& query,
                                const std::function<void(qsizetype studentsDone)>& progress = {});
