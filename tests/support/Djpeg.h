#pragma once

#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// `jpeg` decoded by djpeg, libjpeg-turbo's own tool and the reference decoder,
// with `arguments` besides -bmp; a null image when djpeg fails (exit code 2
// only reports warnings, such as a truncated file).
inline QImage DecodeWithDjpeg(const QString& jpeg, const QStringList& arguments = {})
{
    QTemporaryDir folder;
    const QString output = folder.filePath(QStringLiteral("out.bmp"));
    QProcess djpeg;
    djpeg.start(QStringLiteral("djpeg"), QStringList{QStringLiteral("-bmp")} + arguments
                                             + QStringList{QStringLiteral("-outfile"), output, jpeg});
    if (!djpeg.waitForFinished(60000) || djpeg.exitStatus() != QProcess::NormalExit
        || (djpeg.exitCode() != 0 && djpeg.exitCode() != 2))
        return {};
    return QImage(output, "BMP");
}
