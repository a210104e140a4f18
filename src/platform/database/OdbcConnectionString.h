#pragma once

#include <QString>

// The ODBC driver the query object connects through: "SQL Server", present
// on every Windows machine, or FreeTDS elsewhere. The programs take another
// registered driver from STUDENT_PHOTO_ODBC_DRIVER (ProgramSettings.h).
QString DefaultOdbcDriver();

// Turns the OLE DB connection string of the SQL Server provider ("Password",
// "User ID", "Initial Catalog", "Data Source"; other keys ignored; values
// read as ConnectionStringSyntax.h says) into an ODBC one for `odbcDriver`.
// Values are put in braces where ODBC would otherwise misread them (";",
// braces, blanks at either end); a "}" inside braces is doubled. For drivers other than
// Windows' own, a data source "host,port" becomes SERVER and PORT, and
// "(local)" or "." the loopback address. FreeTDS is held to SQL Server's
// protocol; SQLite is told never to make a new database file, and to wait
// for a database another program holds locked no longer than
// `statementSeconds`, then fail with its own "database is locked".
QString OdbcConnectionString(const QString& oleDbConnectionString, const QString& odbcDriver,
                             int statementSeconds = 30);

// One ODBC value, in braces when it has to be.
QString OdbcValue(const QString& value);
