#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class TADOQuery;

// A student's row in the web application's table studentbaseinfo, as far as
// the tool uses it: the photo column's value (a null QVariant for NULL), and
// the student's name and class where the table has such columns.
struct StudentRow {
    QVariant photo;
    QString name;
    QString className = {};
};

// Codes per statement: SQL Server takes at most 2,100 parameters in one.
inline constexpr qsizetype kCodesPerStatement = 500;

// Reads the rows of the students with these codes, a few hundred codes per
// statement, each code a bound value. The query must hold the connection
// string; its statement text is replaced. Students without a row are absent
// from the result. The database compares codes by its own rules (SQL Server
// ignores letter case and trailing blanks), so a row is found under the code
// the roster gave whenever the database matched it. Throws EDatabaseError.
// With a `nameColumn` (as NameColumnOf gives it) the names are read too,
// and with a `classColumn` (as FindColumn gives it) the classes.
QHash<QString, StudentRow> ReadStudentRows(TADOQuery& query, const QStringList& codes,
                                           qsizetype codesPerStatement = kCodesPerStatement,
                                           const QString& nameColumn = {}, const QString& classColumn = {});

// What a column of a school's table holds, for the columns the tool finds by
// their usual names: schools' tables name them in English, in pinyin
// initials or in Chinese.
enum class ColumnRole {
    Name,     // name, xm, xsxm, studentname
    IdNumber, // the ID card number: sfzh, sfzjh, idcard, idnumber, 身份证号
    Grade,    // nj, grade, 年级
    Class,    // bj, class, classname, 班级
};

// The usual names of a role's column, most likely first.
QStringList ColumnCandidates(ColumnRole role);

// The columns of the table `table` (a name of ours, never the user's), spelt
// as the driver lists them. The query must hold the connection string.
// Throws EDatabaseError.
QStringList TableColumns(TADOQuery& query, const QString& table);

// Of `columns`, the one `wanted` names (a setting such as NameColumn), or
// else the first of `candidates`; letter case aside. Empty when there is none,
// or when the column is no plain name (letters, digits and underscores, not
// starting with a digit), since only a plain name is ever put into a
// statement's text.
QString FindColumn(const QStringList& columns, const QStringList& candidates, const QString& wanted = {});

// The column of studentbaseinfo that holds the students' names (FindColumn
// over the table's columns for ColumnRole::Name, `wanted` being the setting
// NameColumn). Throws EDatabaseError.
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
