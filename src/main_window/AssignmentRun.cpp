#include "main_window/AssignmentRun.h"

#include "common/files/RegularFile.h"
#include "main_window/SiteConfig.h"
#include "platform/TADOQuery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

using namespace AssignmentMessages;

// The update of one student. The code and the path go in as bound values,
// so that no code can change what the statement does.
const QString kUpdateStatement = QStringLiteral("update studentbaseinfo set photo=? where studentcode=?");
const QString kProbeStatement = QStringLiteral("select * from organization");

class EAssignmentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool IsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// A code as the user can read it in a message: control characters written out.
QString Printable(const QString& code)
{
    QString text;
    for (const QChar c : code) {
        if (IsControl(c.unicode()))
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            text += c;
    }
    return text;
}

QString CodeList(const QStringList& codes)
{
    QStringList shown;
    for (const QString& code : codes)
        shown << (code.isEmpty() ? QStringLiteral("（空学籍号）") : Printable(code));
    return shown.join(QStringLiteral("、"));
}

AssignmentOutcome Refusal(const QString& message)
{
    AssignmentOutcome outcome;
    outcome.result = AssignmentOutcome::Result::Refused;
    outcome.message = message;
    return outcome;
}

// Copies byte for byte into a file beside the destination and renames it
// over the destination, so that a copy that fails halfway leaves an earlier
// photo as it was. Nothing is forced to disk per photo: that would cost more
// than all the rest of a run.
bool CopyPhoto(const QString& source, const QString& destination)
{
    QFile in;
    try {
        OpenRegularFile(in, source);
    } catch (const EFileAccessError&) {
        return false;
    }
    // Made anew, so that nothing already there under that name (a named
    // pipe would block the run) is written into.
    const QString partial = destination + QStringLiteral(".part");
    QFile::remove(partial);
    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool written = true;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 read = in.read(buffer.data(), buffer.size());
        if (read <= 0) {
            written = read == 0;
            break;
        }
        if (out.write(buffer.constData(), read) != read) {
            written = false;
            break;
        }
    }
    out.close();
    std::error_code error;
    if (written && out.error() == QFileDevice::NoError) {
        // Replaces an existing destination in one step, on Windows too.
        std::filesystem::rename(std::filesystem::path(partial.toStdU16String()),
                                std::filesystem::path(destination.toStdU16String()), error);
        if (!error)
            return true;
    }
    QFile::remove(partial);
    return false;
}

QString CompletionMessage(const AssignmentOutcome& outcome)
{
    QString message = kDone;
    if (!outcome.notCopied.isEmpty())
        message += QStringLiteral("\n\n以下学生的图片未能复制，数据库中的记录未改动：")
            + CodeList(outcome.notCopied);
    if (!outcome.noRowChanged.isEmpty())
        message += QStringLiteral("\n\n以下学籍号在数据库中没有对应的学生，图片已复制但没有记录被更新：")
            + CodeList(outcome.noRowChanged);
    return message;
}

} // namespace

bool IsSafePhotoCode(const QString& code)
{
    if (code == u"." || code == u"..")
        return false;
    constexpr QStringView kForbidden = u"/\\<>:\"|?*";
    for (const QChar c : code) {
        if (IsControl(c.unicode()) || kForbidden.contains(c))
            return false;
    }
    return true;
}

QString PhotoWebPath(const QString& code)
{
    return QStringLiteral("/upload/StudentPhoto/") + code + QStringLiteral(".jpg");
}

AssignmentOutcome RunAssignment(const AssignmentInput& input, TADOQuery& query,
                                const std::function<void(qsizetype studentsDone)>& progress)
{
    if (!input.installationFolder)
        return Refusal(kFolderNotChosen);
    if (input.photoFolder.isEmpty())
        return Refusal(kNoPhotos);
    if (input.photoNames.size() != input.codes.size())
        return Refusal(kCountsDiffer);
    for (qsizetype i = 0; i < input.codes.size(); ++i) {
        if (!IsSafePhotoCode(input.codes[i])) {
            return Refusal(QStringLiteral("第 %1 行的学籍号“%2”不能用作图片文件名"
                                          "（不能含有 / \\ < > : \" | ? * 或控制字符，也不能是 . 或 ..），"
                                          "请改正学籍号文件后重试！")
                               .arg(i + 1)
                               .arg(Printable(input.codes[i])));
        }
    }

    const QString& installationFolder = *input.installationFolder;
    const QString sep = QDir::separator();
    const QString sitePhotoFolder = installationFolder + QStringLiteral("upload") + sep
        + QStringLiteral("StudentPhoto") + sep;

    AssignmentOutcome outcome;
    try {
        // Without the folder no photo could land; better to write no row at all.
        if (!QFileInfo(sitePhotoFolder).isDir()) {
            throw EAssignmentError(
                QStringLiteral("网站的照片文件夹不存在：%1").arg(QDir::toNativeSeparators(sitePhotoFolder)).toStdString());
        }
        query.SetConnectionString(SiteConnectionString(installationFolder));

        // Every run proves the connection and the application's database on
        // the same harmless read, whatever the query ran before.
        query.ClearSQL();
        query.AddSQL(QString());
        query.AddSQL(kProbeStatement);
        query.Open();

        for (qsizetype i = 0; i < input.codes.size(); ++i) {
            query.ClearSQL();
            const QString& code = input.codes[i];
            const QString destination = sitePhotoFolder + code + QStringLiteral(".jpg");
            const QString source = input.photoFolder + input.photoNames[i];
            if (CopyPhoto(source, destination)) {
                query.AddSQL(kUpdateStatement);
                query.AddParameter(PhotoWebPath(code));
                query.AddParameter(code);
                if (query.ExecSQL() == 0)
                    outcome.noRowChanged << code;
            } else {
                outcome.notCopied << code;
            }
            outcome.studentsDone = i + 1;
            if (progress)
                progress(outcome.studentsDone);
        }
        query.Close();
    } catch (const std::exception& error) {
        query.Close();
        outcome.result = AssignmentOutcome::Result::Failed;
        outcome.message = kFailed;
        outcome.statusText = kFailedStatus;
        outcome.failureReason = QString::fromStdString(error.what());
        return outcome;
    }

    outcome.result = AssignmentOutcome::Result::Completed;
    outcome.statusText = kDoneStatus;
    outcome.message = CompletionMessage(outcome);
    return outcome;
}
