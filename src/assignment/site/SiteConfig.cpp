#include "assignment/site/SiteConfig.h"

#include "files/RegularFile.h"
#include "platform/database/ConnectionStringSyntax.h"
#include "platform/text/Gb18030.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {

struct Setting {
    QString ConnectionSettings::*field;
    std::array<QStringView, 5> keys; // the OLE DB name first; empty entries unused
};

const Setting kSettings[] = {
    {&ConnectionSettings::Server, {u"Data Source", u"Server", u"Address", u"Addr", u"Network Address"}},
    {&ConnectionSettings::Database, {u"Initial Catalog", u"Database"}},
    {&ConnectionSettings::UserId, {u"User ID", u"UID", u"User"}},
    {&ConnectionSettings::Password, {u"Password", u"PWD"}},
};

const Setting* SettingOf(const QString& key)
{
    for (const Setting& setting : kSettings) {
        for (const QStringView name : setting.keys) {
            if (!name.isEmpty() && key.compare(name, Qt::CaseInsensitive) == 0)
                return &setting;
        }
    }
    return nullptr;
}

bool IsServerKey(const ConnectionStringPair& pair)
{
    return SettingOf(pair.key) == &kSettings[0];
}

std::string Text(const QString& text)
{
    return text.toStdString();
}

// The first text of the document, in order, that parses as a connection
// string with a server key.
class ConnectionStringFinder {
public:
    void Offer(const QString& text)
    {
        if (found_ || text.trimmed().isEmpty())
            return;
        ParsedConnectionString parsed = ParseConnectionString(text);
        if (std::any_of(parsed.pairs.cbegin(), parsed.pairs.cend(), IsServerKey))
            found_ = std::move(parsed);
    }
    const std::optional<ParsedConnectionString>& Found() const { return found_; }

private:
    std::optional<ParsedConnectionString> found_;
};

// Older sites keep Web.config in the Chinese ANSI code page and say so
// (encoding="gb2312", "gbk", "gb18030"). Qt reads those encodings only where
// it has ICU, so they are read here as GB18030, the superset of all three;
// the XML declaration then no longer counts. Bytes that are not faultless
// GB18030 go to the XML reader as they are, which tells what it makes of them.
std::optional<QString> DeclaredGbText(const QByteArray& webConfig)
{
    const QRegularExpression gbDeclaration(
        QStringLiteral(R"(^\s*<\?xml[^>]*\sencoding\s*=\s*["']\s*(gb2312|gbk|gb18030|cp936)\s*["'])"),
        QRegularExpression::CaseInsensitiveOption);
    const QString start = QString::fromLatin1(webConfig.left(256));
    if (!gbDeclaration.match(start).hasMatch())
        return std::nullopt;
    return DecodeGb18030(webConfig);
}

ParsedConnectionString FindConnectionString(const QByteArray& webConfig)
{
    ConnectionStringFinder finder;
    const std::optional<QString> gbText = DeclaredGbText(webConfig);
    QXmlStreamReader reader;
    if (gbText)
        reader.addData(*gbText);
    else
        reader.addData(webConfig);
    QString elementText;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            finder.Offer(std::exchange(elementText, QString()));
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                finder.Offer(attribute.value().toString());
            break;
        case QXmlStreamReader::EndElement:
            finder.Offer(std::exchange(elementText, QString()));
            break;
        case QXmlStreamReader::Characters:
            elementText += reader.text();
            break;
        default:
            break;
        }
    }
    // The whole file must be well-formed, also after the connection string.
    if (reader.hasError()) {
        throw EWebConfigError(Text(QStringLiteral("不是格式正确的 XML（第 %1 行第 %2 列）：%3")
                                       .arg(reader.lineNumber())
                                       .arg(reader.columnNumber())
                                       .arg(reader.errorString())));
    }
    if (!finder.Found())
        throw EWebConfigError(Text(QStringLiteral("找不到含有服务器设置（Data Source 或 Server）的数据库连接字符串")));
    return *finder.Found();
}

} // namespace

ConnectionSettings ReadConnectionSettings(const QByteArray& webConfig)
{
    const ParsedConnectionString connectionString = FindConnectionString(webConfig);
    if (!connectionString.problem.isEmpty())
        throw EWebConfigError(Text(QStringLiteral("数据库连接字符串有误：") + connectionString.problem));

    ConnectionSettings settings;
    std::array<bool, std::size(kSettings)> given{};
    for (const ConnectionStringPair& pair : connectionString.pairs) {
        if (const Setting* setting = SettingOf(pair.key)) {
            settings.*(setting->field) = pair.value;
            given[static_cast<std::size_t>(setting - kSettings)] = true;
        }
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (!given[i]) {
            throw EWebConfigError(Text(QStringLiteral("数据库连接字符串中缺少“%1”（或“%2”）设置")
                                           .arg(kSettings[i].keys[0].toString(), kSettings[i].keys[1].toString())));
        }
        // An empty value is as good as none: a driver given no database
        // connects to its default one, or makes a file of the whole string.
        if ((settings.*(kSettings[i].field)).isEmpty()) {
            throw EWebConfigError(Text(QStringLiteral("数据库连接字符串中的“%1”（或“%2”）设置是空的")
                                           .arg(kSettings[i].keys[0].toString(), kSettings[i].keys[1].toString())));
        }
    }
    return settings;
}

QString BuildConnectionString(const ConnectionSettings& settings)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + QuoteConnectionValue(settings.Password)
           + QStringLiteral(";Persist Security Info=True;User ID=") + QuoteConnectionValue(settings.UserId)
           + QStringLiteral(";Initial Catalog=") + QuoteConnectionValue(settings.Database)
           + QStringLiteral(";Data Source=") + QuoteConnectionValue(settings.Server);
}

ConnectionSettings SiteConnectionSettings(const QString& installationFolder)
{
    // Far larger than any Web.config; the cap keeps a wrong file from filling memory.
    constexpr qint64 kMaxWebConfigBytes = qint64{16} << 20;
    const QString path = installationFolder + QStringLiteral("Web.config");
    // The usual sign of a wrong installation folder: say so plainly.
    if (!QFileInfo::exists(path))
        throw EWebConfigError(Text(QStringLiteral("找不到配置文件 %1").arg(path)));
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(path, kMaxWebConfigBytes);
    } catch (const EFileAccessError& error) {
        throw EWebConfigError(error.what());
    }
    try {
        return ReadConnectionSettings(bytes);
    } catch (const EWebConfigError& error) {
        throw EWebConfigError(Text(QStringLiteral("配置文件 %1：").arg(path)) + error.what());
    }
}

QString SiteConnectionString(const QString& installationFolder)
{
    return BuildConnectionString(SiteConnectionSettings(installationFolder));
}

QString DatabaseOfWebConfig(const QString& installationFolder, const ConnectionSettings& settings)
{
    return QStringLiteral("数据库“%1”，服务器“%2”，见 %3")
        .arg(settings.Database, settings.Server, QDir::toNativeSeparators(installationFolder + "Web.config"));
}
