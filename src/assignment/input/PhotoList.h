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

// How the names of a photo list are ordered.
enum class PhotoOrder {
    AsGiven,  // the order the user gave them in (the command line's --photo-list)
    AsListed, // the folder listing's order (ListFiles.h): the window's dialog
              // gives the chosen files back in no meaningful order, and the
              // listing's is the order in which the person who arranged the
              // photos saw them
};

// The photo list of the given files (full paths, all in one folder). The
// folder is the first file's. Throws EFileAccessError (RegularFile.h) for a
// file that is there but is not a regular file.
PhotoList PhotoListFromChosenFiles(const QStringList& chosenFiles, PhotoOrder order);

// The ".jpg" and ".bmp" files of a folder (any letter case), in the order of
// the folder listing. `folder` need not end with a separator.
PhotoList PhotoListOfFolder(const QString& folder);
