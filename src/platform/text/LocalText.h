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
