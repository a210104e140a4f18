#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <stdexcept>

// A file the user names may be anything: a named pipe, whose opening waits
// for a writer for ever, or a device that never ends. The tool reads only
// regular files (or links to them).

// A file that cannot be read as asked. The message (Chinese, for the user)
// names the file and says why.
class EFileAccessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True for a regular file or a link to one.
bool IsRegularFile(const QString& path);

// The message that refuses `path` because it is not a regular file.
QString NotRegularFileMessage(const QString& path);

// Opens `file` on `path` for reading without ever waiting: the type is
// checked on the opened file itself, so that nothing swapped in between a
// check and the opening is read. Throws EFileAccessError when the file is
// missing, cannot be opened or is not a regular file.
void OpenRegularFile(QFile& file, const QString& path);

// The whole content of a regular file of at most `maxBytes` bytes; a larger
// one is refused without being read. Throws EFileAccessError.
QByteArray ReadRegularFile(const QString& path, qint64 maxBytes);
