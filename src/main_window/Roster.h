#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The roster file could not be opened or read.
class ERosterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The student codes of a roster file's bytes, one per line, in file order.
// Lines end with CR LF, a lone CR or a lone LF; a line end at the very end
// adds no empty code, but every other line counts, empty or blank, and
// nothing is trimmed. A zero byte ends the roster. A byte-order mark is not
// part of the first code. The text is UTF-8 when it is valid UTF-8 and
// GB18030 otherwise; a file with a UTF-16 byte-order mark is read as UTF-16.
QStringList SplitRoster(const QByteArray& bytes);

// Reads the roster file at `path` whole. Throws ERosterError when it cannot
// be opened or read.
QStringList ReadRoster(const QString& path);
