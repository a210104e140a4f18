#include "files/ReplaceFile.h"

#include "files/SystemErrorText.h"

#include <QDir>
#include <QRandomGenerator>

namespace {

QString FailureText(const QString& what, const FolderHandle& folder, const QString& name, const std::error_code& error)
{
    return QStringLiteral("%1 %2：%3")
        .arg(what, QDir::toNativeSeparators(QDir(PathText(folder.Path())).filePath(name)), SystemErrorText(error));
}

[[noreturn]] void Fail(const QString& what, const FolderHandle& folder, const QString& name,
                       const std::error_code& error)
{
    throw EReplaceFileError(FailureText(what, folder, name, error).toStdString());
}

bool SameFile(const EntryFacts& a, const EntryFacts& b)
{
    // Windows tells a file's identity only through its handle: the kind has to do there.
    return a.kind == b.kind && (b.file == 0 || (a.device == b.device && a.file == b.file));
}

} // namespace

QString UnguessableNameBeside(const QString& destination, int)
{
    return destination + QStringLiteral(".%1.new").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
}

void ReplaceFile(const FolderHandle& folder, const QString& name, const QByteArray& bytes,
                 const std::optional<EntryFacts>& replaced, const NewFileName& newFileName,
                 const std::function<void(const QString& newName)>& beforeRename)
{
    std::error_code error;
    FileHandle file;
    QString newName;
    for (int attempt = 0; attempt < 3 && !file.IsOpen(); ++attempt) {
        error.clear();
        newName = newFileName(name, attempt);
        file = folder.CreateNew(NativeName(newName), error);
    }
    if (error)
        Fail(QStringLiteral("无法建立文件"), folder, newName, error);
    file.WriteAll(bytes.constData(), static_cast<std::size_t>(bytes.size()), error);
    // A photo replaced keeps the permissions it was given: set on the
    // handle, never by name, which a link swapped in would lead elsewhere.
    if (!error && replaced && replaced->kind == EntryFacts::Kind::Regular && replaced->permissions != 0)
        file.SetPermissions(replaced->permissions, error);
    const EntryFacts written = error ? EntryFacts() : file.Facts(error);
    if (error) {
        std::error_code ignored;
        folder.Remove(NativeName(newName), ignored);
        Fail(QStringLiteral("无法写入"), folder, newName, error);
    }
    if (beforeRename)
        beforeRename(newName);
    folder.Rename(NativeName(newName), NativeName(name), error);
    if (error) {
        std::error_code ignored;
        folder.Remove(NativeName(newName), ignored);
        Fail(QStringLiteral("无法替换"), folder, name, error);
    }
    // Whatever was swapped in under the new file's name went into place
    // instead of it: taken away again, never left under the photo's name.
    const EntryFacts placed = folder.Look(NativeName(name), error);
    if (error || !SameFile(written, placed)) {
        std::error_code ignored;
        folder.Remove(NativeName(name), ignored);
        throw EDestinationLost(
            FailureText(QStringLiteral("无法替换"), folder, name, error ? error : std::error_code(FileRule::Changed))
                .toStdString());
    }
}
