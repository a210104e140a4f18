#include "assignment/site/StudentRows.h"

#include "assignment/input/CodeFolding.h"
#include "platform/database/TADOQuery.h"

#include <QRegularExpression>

QString NameColumnOf(TADOQuery& query, const QString& wanted)
{
    // Only a plain name is ever put into a statement's text.
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    const QStringList candidates = wanted.isEmpty() ? QStringList{QStringLiteral("name"), QStringLiteral("xm"),
                                                                  QStringLiteral("xsxm"), QStringLiteral("studentname")}
                                                    : QStringList{wanted.trimmed()};
    query.ClearSQL();
    query.AddSQL(QStringLiteral("select * from studentbaseinfo where 1 = 0"));
    query.Open();
    const QStringList columns = query.FieldNames();
    query.ClearSQL();
    for (const QString& candidate : candidates) {
        for (const QString& column : columns) {
            if (column.compare(candidate, Qt::CaseInsensitive) == 0 && plainName.match(column).hasMatch())
                return column;
        }
    }
    return {};
}

QHash<QString, StudentRow> ReadStudentRows(TADOQuery& query, const QStringList& codes, qsizetype codesPerStatement,
                                           const QString& nameColumn)
{
    const QString nameField = nameColumn.isEmpty() ? QString() : QStringLiteral(", ") + nameColumn;
    QHash<QString, StudentRow> rows;
    for (qsizetype first = 0; first < codes.size(); first += codesPerStatement) {
        const QStringList batch = codes.mid(first, codesPerStatement);
        QStringList marks;
        marks.fill(QStringLiteral("?"), batch.size());
        query.ClearSQL();
        query.AddSQL(QStringLiteral("select studentcode, photo%1 from studentbaseinfo where studentcode in (%2)")
                         .arg(nameField, marks.join(u',')));
        for (const QString& code : batch)
            query.AddParameter(code);
        query.Open();

        QHash<QString, StudentRow> found;
        QHash<QString, StudentRow> foundLoosely;
        while (query.Next()) {
            const QString code = query.FieldValue(0).toString();
            const StudentRow row{query.FieldValue(1), nameField.isEmpty() ? QString() : query.FieldValue(2).toString()};
            found.insert(code, row);
            foundLoosely.insert(StudentCodeKey(code), row);
        }
        for (const QString& code : batch) {
            if (const auto exact = found.constFind(code); exact != found.cend())
                rows.insert(code, *exact);
            else if (const auto loose = foundLoosely.constFind(StudentCodeKey(code)); loose != foundLoosely.cend())
                rows.insert(code, *loose);
        }
    }
    query.ClearSQL();
    return rows;
}

void OpenSiteDatabase(TADOQuery& query, const QString& connectionString, const QString& whichDatabase)
{
    query.SetConnectionString(connectionString);
    query.ClearSQL();
    query.AddSQL(QString());
    query.AddSQL(QStringLiteral("select * from organization"));
    try {
        query.Open();
    } catch (const EConnectionError& error) {
        if (whichDatabase.isEmpty())
            throw;
        throw EConnectionError(
            QStringLiteral("%1（%2）").arg(QString::fromUtf8(error.what()), whichDatabase).toStdString());
    }
}

qsizetype WritePhotoColumn(TADOQuery& query, const QString& code, const QVariant& photo)
{
    query.ClearSQL();
    query.AddSQL(QStringLiteral("update studentbaseinfo set photo=? where studentcode=?"));
    query.AddParameter(photo);
    query.AddParameter(code);
    return query.ExecSQL();
}

QString PhotoValueText(const QVariant& photo)
{
    if (photo.isNull())
        return QStringLiteral("NULL");
    const QString text = photo.toString();
    return text.isEmpty() ? QStringLiteral("（空）") : text;
}
