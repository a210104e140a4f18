#include "assignment/StudentRows.h"

#include "assignment/CodeFolding.h"
#include "platform/database/TADOQuery.h"

QString StudentCodeKey(const QString& code)
{
    const QString folded = FoldedCode(code);
    qsizetype end = folded.size();
    while (end > 0 && folded[end - 1] == u' ')
        --end;
    return folded.left(end);
}

QHash<QString, StudentRow> ReadStudentRows(TADOQuery& query, const QStringList& codes, qsizetype codesPerStatement)
{
    QHash<QString, StudentRow> rows;
    for (qsizetype first = 0; first < codes.size(); first += codesPerStatement) {
        const QStringList batch = codes.mid(first, codesPerStatement);
        QStringList marks;
        marks.fill(QStringLiteral("?"), batch.size());
        query.ClearSQL();
        query.AddSQL(QStringLiteral("select studentcode, photo from studentbaseinfo where studentcode in (%1)")
                         .arg(marks.join(u',')));
        for (const QString& code : batch)
            query.AddParameter(code);
        query.Open();

        QHash<QString, StudentRow> found;
        QHash<QString, StudentRow> foundLoosely;
        while (query.Next()) {
            const QString code = query.FieldValue(0).toString();
            const StudentRow row{query.FieldValue(1)};
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

void OpenSiteDatabase(TADOQuery& query, const QString& connectionString)
{
    query.SetConnectionString(connectionString);
    query.ClearSQL();
    query.AddSQL(QString());
    query.AddSQL(QStringLiteral("select * from organization"));
    query.Open();
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
