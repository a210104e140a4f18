#pragma once

#include <QString>

#include <optional>

class QWidget;

// The folder picker of every window: a modal folder dialog titled
// "请选择文件夹!" that accepts only existing folders, opened at `startFolder`
// (the platform's choice when empty). Gives the chosen folder as a folder
// string (FolderString.h), or nothing when the user cancels.
std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder);
