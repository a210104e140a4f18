#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// The web application's database settings, from the connection string of its
// Web.config.
struct ConnectionSettings {
    QString UserId;
    QString Password;
    QString Server;
    QString Database;

    friend bool operator==(const ConnectionSettings&, const ConnectionSettings&) = default;
};

// Web.config gives no usable settings: missing, unreadable, not well-formed
// XML, or without a complete connection string. The message says which.
class EWebConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the text of a Web.config as XML (comments skipped, entities and
// character references resolved, the encoding taken from its byte-order mark
// or declaration) and takes the first connection string in document order,
// an attribute value or an element's text, that holds a server key. It is
// read by ConnectionStringSyntax.h, keys regardless of letter case and with
// their synonyms: Data Source, Server, Address, Addr, Network Address;
// Initial Catalog, Database; User ID, UID, User; Password, PWD. Where a
// setting is given twice the later counts, as for the web application.
// Throws EWebConfigError when the text is not well-formed XML, holds no such
// connection string, or the connection string is malformed or lacks one of
// the four settings, or gives one of them an empty value.
ConnectionSettings ReadConnectionSettings(const QByteArray& webConfig);

// The OLE DB connection string of the SQL Server provider, with each value
// quoted where the connection string syntax needs it.
QString BuildConnectionString(const ConnectionSettings& settings);

// The settings of installationFolder + "Web.config" (the folder text ends
// with its separator; nothing is put between). Errors name the file.
ConnectionSettings SiteConnectionSettings(const QString& installationFolder);

// The configuration step of an assignment run: reads installationFolder +
// "Web.config" (the folder text ends with its separator; nothing is put
// between) and builds the connection string. Errors name the file.
QString SiteConnectionString(const QString& installationFolder);

// Which database the site's Web.config names, for a message that must say
// what was not found: "数据库“school”，服务器“db1”，见 D:\site\Web.config".
QString DatabaseOfWebConfig(const QString& installationFolder, const ConnectionSettings& settings);
