#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text files that school staff hand to the tool come from Notepad or Excel on
// Chinese Windows: ANSI code page 936 in older files, UTF-8 in newer ones.
// UTF-8 is a strict format, so bytes that are valid UTF-8 are taken as UTF-8;
// anything else is read as GB18030, the superset of code page 936.
QString DecodeLocalText(QByteArrayView bytes);

// The byte-order marks a text file may start with.
bool StartsWithUtf8Bom(QByteArrayView bytes);
bool StartsWithUtf16Bom(QByteArrayView bytes);
