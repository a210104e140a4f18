#include "common/files/ListFiles.h"

#include "common/files/NaturalOrder.h"

#include <QDir>

void ListFiles(const QString& folderString, const QString& mask, QStringList& names)
{
    const QDir folder(folderString.isEmpty() ? QStringLiteral(".") : folderString);
    // Without QDir::CaseSensitive the name filter ignores letter case.
    QStringList found = folder.entryList({mask},
                                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                         QDir::NoSort);
    SortNaturally(found);
    names += found;
}
