#include "assignment/site/StudentPhotoFile.h"

#include "files/PlainFileName.h"

#include <QFileInfo>

namespace {

const QString kWebFolder = QStringLiteral("/upload/StudentPhoto/");

} // namespace

QString StudentPhotoFileName(const QString& code)
{
    return code + QStringLiteral(".jpg");
}

QString StudentPhotoWebPath(const QString& code)
{
    return kWebFolder + StudentPhotoFileName(code);
}

QString CurrentPhotoFile(const QString& sitePhotoFolder, const QVariant& photoColumn, const QString& destination)
{
    QString named = photoColumn.toString().trimmed();
    named.replace(u'\\', u'/');
    if (named.startsWith(kWebFolder, Qt::CaseInsensitive)) {
        const QString name = named.mid(kWebFolder.size());
        if (IsPlainFileName(name) && QFileInfo(sitePhotoFolder + name).isFile())
            return sitePhotoFolder + name;
    }
    return !destination.isEmpty() && QFileInfo(destination).isFile() ? destination : QString();
}

QString StudentCurrentPhoto(const QString& sitePhotoFolder, const QString& code, const QVariant& photoColumn)
{
    const QString fileName = StudentPhotoFileName(code);
    const QString destination = IsPlainFileName(fileName) ? sitePhotoFolder + fileName : QString();
    return CurrentPhotoFile(sitePhotoFolder, photoColumn, destination);
}
