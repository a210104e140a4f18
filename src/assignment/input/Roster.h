#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The roster file could not be read, or its text cannot be trusted to hold
// the codes the user wrote. The message (Chinese, for the user) says why and,
// for the text, names the first line at fault.
class ERosterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the user is told when a roster cannot be loaded, before the reason.
inline const QString kRosterFailedMessage = QStringLiteral("读入数据失败，请确定数据格式是否正确！ ");

// No roster comes near this; a larger file is refused before it is read.
constexpr qint64 kMaxRosterBytes = qint64{16} << 20;

// The student codes of a roster file's bytes, one per line, in file order.
// Lines end with CR LF, a lone CR or a lone LF; a line end at the very end
// adds no empty code, but every other line counts, empty or blank, and
// nothing is trimmed. A zero byte ends the roster. A byte-order mark is not
// part of the first code.
//
// The text is decoded honestly (LocalText.h): UTF-16 with its byte-order
// mark (or without one, told by its zero bytes), UTF-8 when the bytes are valid UTF-8, GB18030 (code page 936) when
// they are that without a fault. Throws ERosterError when they are neither,
// and for a code holding U+FFFD (a character lost before the file was
// written) or an invisible format character (zero-width characters, the
// bidirectional controls, a byte-order mark after the start), which would
// make two codes that look alike differ, or one code differ from its row.
QStringList SplitRoster(const QByteArray& bytes);

// The lines of any text file the user hands over with student codes in it
// (the roster, a photographer's index), read as strictly as SplitRoster
// reads a roster; the messages name the file as `fileNoun` ("学籍号文件").
QStringList SplitCheckedLines(const QByteArray& bytes, const QString& fileNoun);

// Reads the roster file at `path`: a regular file of at most kMaxRosterBytes.
// Throws ERosterError when it cannot be read or SplitRoster refuses it.
QStringList ReadRoster(const QString& path);
