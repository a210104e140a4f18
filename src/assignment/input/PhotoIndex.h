#pragma once

#include "assignment/plan/AssignmentTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <stdexcept>

// A photographer's index file: one row per photo, a student code and the
// photo's file, read before any pairing is tried.

// The index cannot be read, or a line of it cannot be understood; the
// message (Chinese, for the user) names the line.
class EPhotoIndexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the user is told about the index in every message.
inline const QString kPhotoIndexNoun = QStringLiteral("对照表");

// What the user is told when an index cannot be read: this, then why.
inline const QString kPhotoIndexFailed = QStringLiteral("读入对照表失败：");

// The rows of an index file's bytes. The text is decoded as strictly as a
// roster is (Roster.h). Each line holds two cells parted by a tab, a comma,
// a semicolon or "|" (the first of these found in the first line, in that
// order, parts every line); a cell may be quoted as a spreadsheet writes it
// ("a, b" or "say ""x"""), and blanks around a cell are dropped. Blank lines
// are skipped. A first line whose cells are a known title ("学籍号", "照片",
// "code", "photo", ...) is a header. The photo column is the one whose cells
// all end with .jpg, .jpeg or .bmp, whichever side it is on. Throws
// EPhotoIndexError naming the first line that does not fit.
QList<PhotoIndexRow> SplitPhotoIndex(const QByteArray& bytes);

// Reads the index file at `path` (a regular file of at most the roster's
// size). Throws EPhotoIndexError.
QList<PhotoIndexRow> ReadPhotoIndex(const QString& path);
