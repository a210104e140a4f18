#include "assignment/JournalFormat.h"

#include "assignment/SiteIdentity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileDevice>

namespace {

QString Escape(QString field)
{
    return field.replace(u'%', QStringLiteral("%25"))
        .replace(u'\t', QStringLiteral("%09"))
        .replace(u'\r', QStringLiteral("%0D"))
        .replace(u'\n', QStringLiteral("%0A"));
}

QString Unescape(const QString& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field.toUtf8()));
}

} // namespace

namespace JournalFormat {

QString SiteFolderName(const QString& installationFolder)
{
    const QString site = CanonicalSiteFolder(installationFolder);
    return QString::fromLatin1(QCryptographicHash::hash(site.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

QByteArray Line(const QStringList& fields)
{
    QStringList escaped;
    for (const QString& field : fields)
        escaped << Escape(field);
    return (escaped.join(u'\t') + u'\n').toUtf8();
}

QStringList Fields(const QByteArray& line)
{
    QStringList fields = QString::fromUtf8(line).split(u'\t');
    for (QString& field : fields)
        field = Unescape(field);
    return fields;
}

QString OldFileField(const std::optional<JournalEntry::SavedFile>& saved)
{
    if (!saved)
        return QStringLiteral("none");
    return QStringLiteral("%1:%2:%3").arg(saved->offset).arg(saved->length).arg(QString::fromLatin1(saved->hash));
}

std::optional<JournalEntry::SavedFile> ParseOldFile(const QString& field)
{
    const QStringList parts = field.split(u':');
    if (parts.size() != 3)
        return std::nullopt;
    return JournalEntry::SavedFile{parts[0].toLongLong(), parts[1].toLongLong(), parts[2].toLatin1()};
}

QString OldPhotoField(const std::optional<QVariant>& photo)
{
    if (!photo)
        return QStringLiteral("norow");
    if (photo->isNull())
        return QStringLiteral("null");
    return u'=' + photo->toString();
}

std::optional<QVariant> ParseOldPhoto(const QString& field)
{
    if (field == u"norow")
        return std::nullopt;
    if (field == u"null")
        return QVariant(QMetaType::fromType<QString>());
    return QVariant(field.mid(1));
}

void Fail(const QString& what, const QFileDevice& file)
{
    throw EJournalError(QStringLiteral("撤销记录 %1 %2：%3")
                            .arg(QDir::toNativeSeparators(file.fileName()), what, file.errorString())
                            .toStdString());
}

} // namespace JournalFormat
