#include "platform/database/OdbcConnectionString.h"

#include "platform/database/ConnectionStringSyntax.h"

#include <QHash>
#include <QStringList>

namespace {

const QString kWindowsDriver = QStringLiteral("SQL Server");

QHash<QString, QString> ParseOleDb(const QString& connectionString)
{
    QHash<QString, QString> values;
    for (const ConnectionStringPair& pair : ParseConnectionString(connectionString).pairs) {
        // The first occurrence counts, as it does for the OLE DB provider.
        const QString key = pair.key.toLower();
        if (!values.contains(key))
            values.insert(key, pair.value);
    }
    return values;
}

} // namespace

QString DefaultOdbcDriver()
{
#ifdef Q_OS_WIN
    return kWindowsDriver;
#else
    return QStringLiteral("FreeTDS");
#endif
}

QString OdbcValue(const QString& value)
{
    const bool needsBraces = value.contains(u';') || value.contains(u'{') || value.contains(u'}')
                             || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!needsBraces)
        return value;
    return u'{' + QString(value).replace(u'}', QStringLiteral("}}")) + u'}';
}

QString OdbcConnectionString(const QString& oleDbConnectionString, const QString& odbcDriver, int statementSeconds)
{
    const QHash<QString, QString> oleDb = ParseOleDb(oleDbConnectionString);
    QString server = oleDb.value(QStringLiteral("data source"));
    QString port;
    if (odbcDriver.compare(kWindowsDriver, Qt::CaseInsensitive) != 0) {
        // SQL Server writes a port after a comma; the other drivers take it
        // as a key of its own.
        const qsizetype comma = server.indexOf(u',');
        if (comma >= 0) {
            port = server.mid(comma + 1).trimmed();
            server = server.left(comma).trimmed();
        }
        if (server == QStringLiteral("(local)") || server == QStringLiteral("."))
            server = QStringLiteral("127.0.0.1");
    }

    // The driver name always goes in braces: names such as "SQL Server"
    // hold blanks.
    QStringList parts;
    parts << QStringLiteral("DRIVER={%1}").arg(QString(odbcDriver).replace(u'}', QStringLiteral("}}")));
    parts << QStringLiteral("SERVER=") + OdbcValue(server);
    if (!port.isEmpty())
        parts << QStringLiteral("PORT=") + OdbcValue(port);
    parts << QStringLiteral("DATABASE=") + OdbcValue(oleDb.value(QStringLiteral("initial catalog")));
    parts << QStringLiteral("UID=") + OdbcValue(oleDb.value(QStringLiteral("user id")));
    parts << QStringLiteral("PWD=") + OdbcValue(oleDb.value(QStringLiteral("password")));
    if (odbcDriver.contains(QStringLiteral("FreeTDS"), Qt::CaseInsensitive)) {
        // SQL Server's own protocol. FreeTDS would otherwise retry a server
        // that does not answer with the Sybase protocol, and that second try
        // waits for ever whatever the login timeout says.
        parts << QStringLiteral("TDS_Version=7.4");
    }
    if (odbcDriver.contains(QStringLiteral("SQLite"), Qt::CaseInsensitive)) {
        // The SQLite driver would make a new, empty database file for a name
        // that does not exist, and the run would then fail on a missing table
        // instead of the missing database.
        parts << QStringLiteral("NoCreat=1");
        // Its own busy wait (100 s unless told) knows nothing of the
        // statement limit: each statement on a locked database would wait
        // that long, far past what the user is told.
        parts << QStringLiteral("Timeout=%1").arg(qint64{statementSeconds} * 1000);
    }
    return parts.join(u';');
}
