#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class TADOQuery;

// A student's row in the web application's table studentbaseinfo, as far as
// the tool uses it: the photo column's value (a null QVariant for NULL), and
// the student's name where the table has a name column.
struct StudentRow {
    QVariant photo;
    QString name;
};

// Codes per statement: SQL Server takes at most 2,100 parameters in one.
inline constexpr qsizetype kCodesPerStatement = 500;

// Reads the rows of the students with these codes, a few hundred codes per
// statement, each code a bound value. The query must hold the connection
// string; its statement text is replaced. Students without a row are absent
// from the result. The database compares codes by its own rules (SQL Server
// ignores letter case and trailing blanks), so a row is found under the code
// the roster gave whenever the database matched it. Throws EDatabaseError.
// With a `nameColumn` (as NameColumnOf gives it) the names are read too.
QHash<QString, StudentRow> ReadStudentRows(TADOQuery& query, const QStringList& codes,
                                           qsizetype codesPerStatement = kCodesPerStatement,
                                           const QString& nameColumn = {});

// The column of studentbaseinfo that holds the students' names, spelt as the
// driver lists the table's columns: the one `wanted` names (the setting
// NameColumn), or else the first of name, xm, xsxm and studentname; letter
// case aside. Empty when there is none (or `wanted` is no plain column
// name). The query must hold the connection string. Throws EDatabaseError.
QString NameColumnOf(TADOQuery& query, const QString& wanted = {});

// Connects `query` to the site's database and proves the connection on a
// harmless read of the application's own table organization, whatever the
// query ran before. Throws EDatabaseError; a failure to connect says after
// the driver's words which database was meant (`whichDatabase`, from
// DatabaseOfWebConfig), for the driver's often name none.
void OpenSiteDatabase(TADOQuery& query, const QString& connectionString, const QString& whichDatabase = {});

// Writes `photo` into the photo column of the student with this code (both
// bound values); gives the number of rows changed. Throws EDatabaseError.
qsizetype WritePhotoColumn(TADOQuery& query, const QString& code, const QVariant& photo);

// The photo column's value as the user reads it: the text, "NULL" or "（空）".
QString PhotoValueText(const QVariant& photo);
