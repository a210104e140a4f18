#include "files/ListFiles.h"

#include "files/NaturalOrder.h"

#include <QDir>

void ListFiles(const QString& folderString, const QString& mask, QStringList& names)
{
    const QDir folder(folderString.isEmpty() ? QStringLiteral(".") : folderString);
    // Without QDir::CaseSensitive the name filter ignores letter case.
    // QDir::Files alone would still list links to devices.
    QStringList found;
    for (const QFileInfo& entry :
         folder.entryInfoList({mask}, QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort)) {
        if (entry.isFile())
            found << entry.fileName();
    }
    SortNaturally(found);
    names += found;
}
