#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// The web application's database settings, as byte strings found in the text
// of its Web.config.
struct ConnectionSettings {
    QByteArray UserId;   // after "id="
    QByteArray Password; // after "password="
    QByteArray Server;   // after "server="
    QByteArray Database; // after "database="

    friend bool operator==(const ConnectionSettings&, const ConnectionSettings&) = default;
};

// Web.config could not be loaded: missing, unreadable or not well-formed XML.
// The message says which and where.
class EWebConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Finds each setting by the first occurrence of its key anywhere in the text,
// byte for byte and case-sensitively, so "id=" is also found at the end of
// "uid=" or "user id=". The value runs up to the next ";" and is taken as it
// stands, blanks and quotation marks included. A key that does not occur is
// scanned from the position its length points at, as if it stood at the very
// start. A value with no ";" after it takes the rest of the text.
ConnectionSettings ReadConnectionSettings(const QByteArray& xmlText);

// The OLE DB connection string of the SQL Server provider, the values
// inserted unquoted, with no ";" after the last one.
QByteArray BuildConnectionString(const ConnectionSettings& settings);

// The text of the Web.config at `path`, for the scan: the file's own bytes,
// converted to UTF-8 when the file is UTF-16. Throws EWebConfigError when the
// file is missing, cannot be read or is not well-formed XML.
QByteArray LoadWebConfigText(const QString& path);

// The configuration step of an assignment run: loads installationFolder +
// "Web.config" (the folder text ends with its separator; nothing is put
// between), scans it and builds the connection string.
QString SiteConnectionString(const QString& installationFolder);
