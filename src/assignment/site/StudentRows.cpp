#include "assignment/site/StudentRows.h"

#include "assignment/input/CodeFolding.h"
#include "platform/database/TADOQuery.h"

#include <QRegularExpression>

#include <utility>

QStringList ColumnCandidates(ColumnRole role)
{
    switch (role) {
    case ColumnRole::Name:
        return {QStringLiteral("name"), QStringLiteral("xm"), QStringLiteral("xsxm"), QStringLiteral("studentname")};
    case ColumnRole::IdNumber:
        return {QStringLiteral("sfzh"), QStringLiteral("sfzjh"), QStringLiteral("idcard"), QStringLiteral("idnumber"),
                QStringLiteral("身份证号")};
    case ColumnRole::Grade:
        return {QStringLiteral("nj"), QStringLiteral("grade"), QStringLiteral("年级")};
    case ColumnRole::Class:
        return {QStringLiteral("bj"), QStringLiteral("class"), QStringLiteral("classname"), QStringLiteral("班级")};
    }
    return {};
}

QStringList TableColumns(TADOQuery& query, const QString& table)
{
    query.ClearSQL();
    query.AddSQL(QStringLiteral("select * from %1 where 1 = 0").arg(table));
    query.Open();
    QStringList columns = query.FieldNames();
    query.ClearSQL();
    return columns;
}

QString FindColumn(const QStringList& columns, const QStringList& candidates, const QString& wanted)
{
    // Letters of any script (a Chinese column name is as harmless as a Latin
    // one), digits and underscores: nothing that could end a name in SQL.
    static const QRegularExpression plainName(QStringLiteral("^[\\p{L}_][\\p{L}\\p{N}_]*$"));
    const QStringList wantedNames = wanted.trimmed().isEmpty() ? candidates : QStringList{wanted.trimmed()};
    for (const QString& candidate : wantedNames) {
        for (const QString& column : columns) {
            if (column.compare(candidate, Qt::CaseInsensitive) == 0 && plainName.match(column).hasMatch())
                return column;
        }
    }
    return {};
}

QString NameColumnOf(TADOQuery& query, const QString& wanted)
{
    return FindColumn(TableColumns(query, QStringLiteral("studentbaseinfo")), ColumnCandidates(ColumnRole::Name),
                      wanted);
}

QHash<QString, StudentRow> ReadStudentRows(TADOQuery& query, const QStringList& codes, qsizetype codesPerStatement,
                                           const QString& nameColumn, const QString& classColumn)
{
    // Only the columns there are; each read one's place after the photo.
    QString fields;
    int namePlace = 0;
    int classPlace = 0;
    int place = 2;
    for (const auto& [column, columnPlace] :
         {std::pair{&nameColumn, &namePlace}, std::pair{&classColumn, &classPlace}}) {
        if (!column->isEmpty()) {
            fields += QStringLiteral(", ") + *column;
            *columnPlace = place++;
        }
    }
    QHash<QString, StudentRow> rows;
    for (qsizetype first = 0; first < codes.size(); first += codesPerStatement) {
        const QStringList batch = codes.mid(first, codesPerStatement);
        QStringList marks;
        marks.fill(QStringLiteral("?"), batch.size());
        query.ClearSQL();
        query.AddSQL(QStringLiteral("select studentcode, photo%1 from studentbaseinfo where studentcode in (%2)")
                         .arg(fields, marks.join(u',')));
        for (const QString& code : batch)
            query.AddParameter(code);
        query.Open();

        QHash<QString, StudentRow> found;
        QHash<QString, StudentRow> foundLoosely;
        while (query.Next()) {
            const QString code = query.FieldValue(0).toString();
            const StudentRow row{query.FieldValue(1), namePlace ? query.FieldValue(namePlace).toString() : QString(),
                                 classPlace ? query.FieldValue(classPlace).toString().trimmed() : QString()};
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
