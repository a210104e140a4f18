#include "assignment/site/StudentCards.h"

#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentPhotoFile.h"
#include "assignment/site/StudentRows.h"
#include "files/PlainFileName.h"
#include "platform/database/TADOQuery.h"

QHash<QString, StudentCard> ReadStudentCards(TADOQuery& query, const QString& installationFolder,
                                             const QStringList& codes, const QString& nameColumn)
{
    const QString photoFolder = SitePhotoFolder(installationFolder);
    QHash<QString, StudentRow> rows;
    try {
        OpenSiteDatabase(query, SiteConnectionString(installationFolder));
        rows = ReadStudentRows(query, codes, kCodesPerStatement, NameColumnOf(query, nameColumn));
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();

    QHash<QString, StudentCard> cards;
    cards.reserve(rows.size());
    for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
        // The photo the column names, or else the one a run would replace
        // (a code that is no file name has none).
        const QString fileName = StudentPhotoFileName(row.key());
        const QString destination = IsPlainFileName(fileName) ? photoFolder + fileName : QString();
        cards.insert(row.key(), {row->name, CurrentPhotoFile(photoFolder, row->photo, destination)});
    }
    return cards;
}
