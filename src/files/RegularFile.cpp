#include "files/RegularFile.h"

#include "files/FileSystemPath.h"

#include <QFileInfo>

#include <algorithm>

#ifndef _WIN32
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void Fail(const QString& message)
{
    throw EFileAccessError(message.toStdString());
}

} // namespace

bool IsRegularFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

QString NotRegularFileMessage(const QString& path)
{
    return QStringLiteral("%1 不是普通文件（可能是文件夹、命名管道或设备），不予读取").arg(path);
}

void OpenRegularFile(QFile& file, const QString& path)
{
    if (!QFileInfo::exists(path))
        Fail(QStringLiteral("找不到文件 %1").arg(path));
#ifndef _WIN32
    // Opening a named pipe without O_NONBLOCK waits for a writer.
    const int fd = ::open(FileSystemPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Fail(QStringLiteral("无法打开文件 %1：%2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        Fail(NotRegularFileMessage(path));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Fail(QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString()));
    }
#else
    // Windows keeps its named pipes out of the file system's folders.
    if (!IsRegularFile(path))
        Fail(NotRegularFileMessage(path));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString()));
#endif
}

QByteArray ReadRegularFile(const QString& path, qint64 maxBytes)
{
    QFile file;
    OpenRegularFile(file, path);
    QByteArray bytes;
    // The size is checked before reading and again while reading, for a
    // file that grows in between.
    while (file.size() <= maxBytes && bytes.size() <= maxBytes) {
        const QByteArray chunk = file.read(std::min<qint64>(qint64{1} << 16, maxBytes + 1 - bytes.size()));
        if (file.error() != QFileDevice::NoError)
            Fail(QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()));
        if (chunk.isEmpty())
            return bytes;
        bytes += chunk;
    }
    Fail(QStringLiteral("文件 %1 大于 %2 MiB，不予读取").arg(path).arg(maxBytes / (qint64{1024} * 1024)));
}
