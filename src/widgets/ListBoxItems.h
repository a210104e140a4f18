#pragma once

#include "files/ListFiles.h"
#include "widgets/WaitCursor.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QStringList>

// The texts of a list box's items, in order: how the windows read back the
// lists they keep their data in.
inline QStringList ItemTexts(const QListWidget& list)
{
    QStringList items;
    items.reserve(list.count());
    for (int i = 0; i < list.count(); ++i)
        items << list.item(i)->text();
    return items;
}

// Replaces the items of `list` by the names of the folder's files that match
// `mask` (ListFiles.h), in the listing's order. Refilling is not the user's
// choice of an item: the list emits no selection signal meanwhile.
inline void FillListFromFolder(QListWidget& list, const QString& folderString, const QString& mask)
{
    QStringList names;
    const WaitCursor busy; // a folder of thousands of pictures takes a moment
    ListFiles(folderString, mask, names);
    const QSignalBlocker refilling(list);
    list.clear();
    list.addItems(names);
}
