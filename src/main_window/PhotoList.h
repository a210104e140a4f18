#pragma once

#include <QString>
#include <QStringList>

// The photos of one assignment run: the folder they lie in (a folder string,
// ending with its separator) and their bare file names, paired with the
// roster by position.
struct PhotoList {
    QString folder;
    QStringList names;
};

// The photo list from the files chosen in the multi-select dialog (full
// paths, all in one folder). The folder is the first file's. The dialog gives
// the files back in no meaningful order, so the names are put in the order
// in which the folder listing shows them (ListFiles.h): the order in which
// the person who arranged the photos saw them.
PhotoList PhotoListFromChosenFiles(const QStringList& chosenFiles);

// The ".jpg" and ".bmp" files of a folder (any letter case), in the order of
// the folder listing. `folder` need not end with a separator.
PhotoList PhotoListOfFolder(const QString& folder);
