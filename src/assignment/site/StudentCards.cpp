#include "assignment/site/StudentCards.h"

#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentPhotoFile.h"
#include "assignment/site/StudentRows.h"
#include "platform/database/TADOQuery.h"

QHash<QString, StudentCard> ReadStudentCards(TADOQuery& query, const QString& installationFolder,
                                             const QStringList& codes, const QString& nameColumn,
                                             const QString& classColumn)
{
    const QString photoFolder = SitePhotoFolder(installationFolder);
    QHash<QString, StudentRow> rows;
    try {
        OpenSiteDatabase(query, SiteConnectionString(installationFolder));
        const QStringList columns = TableColumns(query, QStringLiteral("studentbaseinfo"));
        rows = ReadStudentRows(query, codes, kCodesPerStatement,
                               FindColumn(columns, ColumnCandidates(ColumnRole::Name), nameColumn),
                               FindColumn(columns, ColumnCandidates(ColumnRole::Class), classColumn));
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();

    QHash<QString, StudentCard> cards;
    cards.reserve(rows.size());
    for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
        cards.insert(row.key(), {row->name, StudentCurrentPhoto(photoFolder, row.key(), row->photo), row->className});
    }
    return cards;
}
