#include "assignment/ReplaceFile.h"

#include "files/FileSystemPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

namespace {

[[noreturn]] void Fail(const QString& what, const QString& path, const QString& why)
{
    throw EReplaceFileError(QStringLiteral("%1 %2：%3").arg(what, QDir::toNativeSeparators(path), why).toStdString());
}

} // namespace

QString UnguessableNameBeside(const QString& destination, int)
{
    return destination + QStringLiteral(".%1.new").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
}

void ReplaceFile(const QString& destination, const QByteArray& bytes, const NewFileName& newFileName)
{
    // Created only if nothing at all is there, not even a link, with the
    // usual permissions for new files (a web server must be able to read it).
    QFile file;
    for (int attempt = 0; attempt < 3 && !file.isOpen(); ++attempt) {
        file.setFileName(newFileName(destination, attempt));
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!file.isOpen())
        Fail(QStringLiteral("无法建立文件"), file.fileName(), file.errorString());
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString writeError = file.errorString();
    file.close();
    if (!written) {
        QFile::remove(file.fileName());
        Fail(QStringLiteral("无法写入"), file.fileName(), writeError);
    }
    // A photo replaced keeps the permissions it was given.
    const QFileInfo existing(destination);
    if (existing.isFile() && !existing.isSymLink())
        QFile::setPermissions(file.fileName(), existing.permissions());
    // Replaces an existing destination (a link itself, not what it points
    // to) in one step, on Windows too.
    std::error_code error;
    std::filesystem::rename(FileSystemPath(file.fileName()), FileSystemPath(destination), error);
    if (error) {
        QFile::remove(file.fileName());
        Fail(QStringLiteral("无法替换"), destination, QString::fromLocal8Bit(error.message()));
    }
}
