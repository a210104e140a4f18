#include "main_window/ReplaceFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

void ReplaceFile(const QString& destination, const QByteArray& bytes)
{
    QTemporaryFile file(destination + QStringLiteral(".XXXXXX"));
    if (!file.open())
        throw EReplaceFileError(QStringLiteral("无法在 %1 建立文件：%2")
                                    .arg(QDir::toNativeSeparators(QFileInfo(destination).path()), file.errorString())
                                    .toStdString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw EReplaceFileError(QStringLiteral("无法写入：%1").arg(file.errorString()).toStdString());
    file.close();
    // Replaces an existing destination in one step, on Windows too.
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(file.fileName().toStdU16String()),
                            std::filesystem::path(destination.toStdU16String()), error);
    if (error)
        throw EReplaceFileError(QStringLiteral("无法替换 %1：%2")
                                    .arg(QDir::toNativeSeparators(destination), QString::fromLocal8Bit(error.message()))
                                    .toStdString());
    file.setAutoRemove(false);
}
