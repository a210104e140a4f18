#include "assignment/journal/JournalFormat.h"

#include "assignment/site/SiteIdentity.h"
#include "files/SystemErrorText.h"

#include <QCryptographicHash>
#include <QDir>

namespace {

QString Escape(QString field)
{
    return field.replace(u'%', QStringLiteral("%25"))
        .replace(u'\t', QStringLiteral("%09"))
        .replace(u'\r', QStringLiteral("%0D"))
        .replace(u'\n', QStringLiteral("%0A"));
}

QByteArray Check(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16);
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

QByteArray PlainLine(const QStringList& fields)
{
    QStringList escaped;
    for (const QString& field : fields)
        escaped << Escape(field);
    return (escaped.join(u'\t') + u'\n').toUtf8();
}

QByteArray Line(const QStringList& fields, QByteArray& chain)
{
    QByteArray line = PlainLine(fields);
    line.chop(1);
    const QByteArray check = Check(line);
    chain = Check(chain + check);
    return line + '\t' + check + '\t' + chain + '\n';
}

ReadRecord Record(const QByteArray& line, const QByteArray& chain)
{
    ReadRecord record;
    const qsizetype chainStart = line.lastIndexOf('\t');
    const qsizetype checkStart = chainStart > 0 ? line.lastIndexOf('\t', chainStart - 1) : -1;
    if (checkStart < 0) {
        record.fields = Fields(line);
        return record;
    }
    const QByteArray content = line.left(checkStart);
    const QByteArray check = line.mid(checkStart + 1, chainStart - checkStart - 1);
    record.chain = line.mid(chainStart + 1);
    record.fields = Fields(content);
    record.intact = Check(content) == check;
    record.chained = record.intact && Check(chain + check) == record.chain;
    return record;
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
    bool offsetRead = false;
    bool lengthRead = false;
    if (parts.size() != 3)
        return std::nullopt;
    const JournalEntry::SavedFile saved{parts[0].toLongLong(&offsetRead), parts[1].toLongLong(&lengthRead),
                                        parts[2].toLatin1()};
    if (!offsetRead || !lengthRead || saved.offset < 0 || saved.length < 0)
        return std::nullopt;
    return saved;
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

void Fail(const QString& what, const QString& path, const std::error_code& error)
{
    throw EJournalError(QStringLiteral("撤销记录 %1 %2：%3")
                            .arg(QDir::toNativeSeparators(path), what, SystemErrorText(error))
                            .toStdString());
}

} // namespace JournalFormat
