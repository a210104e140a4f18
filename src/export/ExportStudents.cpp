#include "export/ExportStudents.h"

#include "assignment/input/CodeFolding.h"
#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentPhotoFile.h"
#include "assignment/site/StudentRows.h"
#include "platform/database/TADOQuery.h"

#include <QHash>

namespace {

// The first value of the organization table's school code column, trimmed.
QString ReadSchoolCode(TADOQuery& query)
{
    const QString column = FindColumn(
        TableColumns(query, QStringLiteral("organization")),
        {QStringLiteral("xxbsm"), QStringLiteral("schoolcode"), QStringLiteral("学校标识码"), QStringLiteral("code")});
    if (column.isEmpty())
        return {};
    query.ClearSQL();
    query.AddSQL(QStringLiteral("select %1 from organization").arg(column));
    query.Open();
    QString code;
    while (code.isEmpty() && query.Next())
        code = query.FieldValue(0).toString().trimmed();
    query.ClearSQL();
    return code;
}

ExportSite ReadRows(TADOQuery& query, const QString& photoFolder, const ExportColumns& wanted)
{
    const QStringList columns = TableColumns(query, QStringLiteral("studentbaseinfo"));
    const QString found[] = {FindColumn(columns, ColumnCandidates(ColumnRole::Name), wanted.name),
                             FindColumn(columns, ColumnCandidates(ColumnRole::IdNumber), wanted.idNumber),
                             FindColumn(columns, ColumnCandidates(ColumnRole::Grade), wanted.grade),
                             FindColumn(columns, ColumnCandidates(ColumnRole::Class), wanted.klass)};
    // The columns the site lacks are read as empty texts.
    QStringList select{QStringLiteral("studentcode"), QStringLiteral("photo")};
    for (const QString& column : found)
        select << (column.isEmpty() ? QStringLiteral("''") : column);
    ExportSite site;
    site.schoolCode = ReadSchoolCode(query);
    query.ClearSQL();
    query.AddSQL(QStringLiteral("select %1 from studentbaseinfo order by studentcode").arg(select.join(u',')));
    query.Open();
    while (query.Next()) {
        const QString code = query.FieldValue(0).toString();
        site.students.append({code, query.FieldValue(2).toString().trimmed(), query.FieldValue(3).toString().trimmed(),
                              query.FieldValue(4).toString().trimmed(), query.FieldValue(5).toString().trimmed(),
                              StudentCurrentPhoto(photoFolder, code, query.FieldValue(1))});
    }
    query.ClearSQL();
    return site;
}

// The site's students in the roster's order, matched as ReadStudentRows
// matches codes: exactly first, else by the database's folding.
void KeepRoster(ExportSite& site, const QStringList& roster)
{
    QHash<QString, qsizetype> exact;
    QHash<QString, qsizetype> loose;
    for (qsizetype i = 0; i < site.students.size(); ++i) {
        exact.insert(site.students[i].code, i);
        loose.insert(StudentCodeKey(site.students[i].code), i);
    }
    QList<ExportStudent> kept;
    for (const QString& code : roster) {
        if (code.trimmed().isEmpty())
            continue;
        if (const auto at = exact.constFind(code); at != exact.cend())
            kept.append(site.students[*at]);
        else if (const auto folded = loose.constFind(StudentCodeKey(code)); folded != loose.cend())
            kept.append(site.students[*folded]);
        else
            site.notOnSite.append(code);
    }
    site.students = kept;
}

} // namespace

ExportSite ReadExportSite(TADOQuery& query, const QString& installationFolder, const ExportColumns& columns,
                          const QStringList& roster)
{
    ExportSite site;
    try {
        OpenSiteDatabase(query, SiteConnectionString(installationFolder));
        site = ReadRows(query, SitePhotoFolder(installationFolder), columns);
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
    if (!roster.isEmpty())
        KeepRoster(site, roster);
    return site;
}
