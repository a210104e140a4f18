#include "main_window/PhotoList.h"

#include "common/files/FolderString.h"
#include "common/files/ListFiles.h"
#include "common/files/NaturalOrder.h"

#include <QFileInfo>

PhotoList PhotoListFromChosenFiles(const QStringList& chosenFiles)
{
    PhotoList photos;
    if (chosenFiles.isEmpty())
        return photos;
    photos.folder = FolderString(QFileInfo(chosenFiles.first()).path());
    for (const QString& file : chosenFiles)
        photos.names << QFileInfo(file).fileName();
    SortNaturally(photos.names);
    return photos;
}

PhotoList PhotoListOfFolder(const QString& folder)
{
    PhotoList photos;
    photos.folder = FolderString(folder);
    QStringList entries;
    ListFiles(photos.folder, QStringLiteral("*.jpg"), entries);
    ListFiles(photos.folder, QStringLiteral("*.bmp"), entries);
    for (const QString& name : entries) {
        if (QFileInfo(photos.folder + name).isFile())
            photos.names << name;
    }
    SortNaturally(photos.names);
    return photos;
}
