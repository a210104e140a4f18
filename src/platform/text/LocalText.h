#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Text files that school staff hand to the tool come from Notepad or Excel on
// Chinese Windows: ANSI code page 936 in older files, UTF-8 in newer ones.
// UTF-8 is a strict format, so bytes that are valid UTF-8 are taken as UTF-8;
// otherwise they are read as GB18030, the superset of code page 936, but only
// when they are GB18030 without a fault (platform/text/Gb18030.h).

// The text, or nothing when the bytes are neither. A byte-order mark at the
// start is kept as U+FEFF.
std::optional<QString> DecodeLocalText(QByteArrayView bytes);

bool IsUtf8(QByteArrayView bytes);
bool IsGb18030(QByteArrayView bytes);

// The byte-order marks a text file may start with.
bool StartsWithUtf16Bom(QByteArrayView bytes);

// Notepad saves "Unicode" with a byte-order mark, but other tools (and
// scripts) write UTF-16 without one. Text of codes and names in it shows a
// zero byte in every other position: the high byte of each ASCII character.
enum class Utf16Order { LittleEndian, BigEndian };

// The byte order of UTF-16 text without a mark: an even number of bytes,
// at least two characters, three in four of the first 2,048 characters with
// a zero byte on one side and none on the other. Nothing when the bytes do
// not look like that (a stray zero in other text is no sign of UTF-16).
std::optional<Utf16Order> UnmarkedUtf16Order(QByteArrayView bytes);
