#pragma once

#include "support/RunProgram.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

// `jpeg` decoded by djpeg, libjpeg-turbo's own tool and the reference decoder,
// with `arguments` besides -bmp; a null image when djpeg fails (exit code 2
// only reports warnings, such as a truncated file).
// On Windows djpeg.exe opens files by their names in the ANSI code page, so
// it is handed a copy of `jpeg` in a folder whose name is plain ASCII.
inline QImage DecodeWithDjpeg(const QString& jpeg, const QStringList& arguments = {})
{
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/sp-djpeg-XXXXXX"));
    const QString output = folder.filePath(QStringLiteral("out.bmp"));
    QString input = jpeg;
#ifdef _WIN32
    input = folder.filePath(QStringLiteral("in.jpg"));
    if (!QFile::copy(jpeg, input))
        return {};
#endif
    const int exitCode =
        RunProgram(QStringLiteral("djpeg"), QStringList{QStringLiteral("-bmp")} + arguments
                                                + QStringList{QStringLiteral("-outfile"), output, input});
    if (exitCode != 0 && exitCode != 2)
        return {};
    return QImage(output, "BMP");
}
