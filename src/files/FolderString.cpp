#include "files/FolderString.h"

#include <QDir>

QString FolderString(const QString& chosenPath)
{
    if (chosenPath.isEmpty())
        return {};
    QString folder = QDir::toNativeSeparators(chosenPath);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}
