#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What a photo file is, as the picture component reads its headers (enough
// to show a plan of a run without decoding thousands of photos), and which
// bytes it held when the plan was made.
struct PhotoFacts {
    enum class Kind {
        Jpeg,
        Bmp,
        Unreadable, // missing, not a regular file, or not a JPEG or BMP picture
    };
    Kind kind = Kind::Unreadable;
    // Upright, by the EXIF orientation of a JPEG.
    int width = 0;
    int height = 0;
    // Why an unreadable photo cannot be read, for the user.
    QString problem;
    // The file as it was read: its length, last change and the PhotoHash of
    // all its bytes (empty when it could not be read), so that a run can
    // tell a photo changed since the plan was shown.
    qint64 size = 0;
    QDateTime modified;
    QByteArray contentHash;
};
