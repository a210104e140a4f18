#include "assignment/input/PhotoList.h"

#include "files/FolderString.h"
#include "files/ListFiles.h"
#include "files/NaturalOrder.h"
#include "files/RegularFile.h"

#include <QFileInfo>

PhotoList PhotoListFromChosenFiles(const QStringList& chosenFiles, PhotoOrder order)
{
    PhotoList photos;
    if (chosenFiles.isEmpty())
        return photos;
    photos.folder = FolderString(QFileInfo(chosenFiles.first()).path());
    for (const QString& file : chosenFiles) {
        // A missing file shows when the run copies it; one that is there
        // but cannot be a photo is refused now.
        if (QFileInfo::exists(file) && !IsRegularFile(file))
            throw EFileAccessError(NotRegularFileMessage(file).toStdString());
        photos.names << QFileInfo(file).fileName();
    }
    if (order == PhotoOrder::AsListed)
        SortNaturally(photos.names);
    return photos;
}

PhotoList PhotoListOfFolder(const QString& folder)
{
    PhotoList photos;
    photos.folder = FolderString(folder);
    ListFiles(photos.folder, kJpegMask, photos.names);
    ListFiles(photos.folder, QStringLiteral("*.bmp"), photos.names);
    SortNaturally(photos.names);
    return photos;
}
