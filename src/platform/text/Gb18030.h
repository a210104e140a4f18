#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// GB18030, the superset of code page 936 (GBK, GB2312) that rosters and
// Web.config files from Chinese Windows are written in. The text, or nothing
// when the bytes are not GB18030 without a fault: a byte or sequence that is
// no character, or a four-byte sequence outside the assigned ranges.
// A byte-order mark (84 31 95 33) is kept as U+FEFF.
std::optional<QString> DecodeGb18030(QByteArrayView bytes);
