#pragma once

#include <QListWidget>
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
