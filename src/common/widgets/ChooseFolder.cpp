#include "common/widgets/ChooseFolder.h"

#include "common/files/FolderString.h"

#include <QFileDialog>

std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("请选择文件夹!"), startFolder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return FolderString(chosen);
}
