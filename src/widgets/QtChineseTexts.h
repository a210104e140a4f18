#pragma once

#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

#include <memory>

// Qt's own texts (message box buttons, the file and folder dialogs' labels
// and buttons) in Chinese, whatever language the system runs in: every other
// text of the tool is Chinese. Loads Qt's translation "qtbase_zh_CN" from
// `folder` and installs it in the application for as long as the returned
// translator lives. Without that file it gives nullptr and Qt's texts stay
// as they are: the tool works the same, only less tidily.
std::unique_ptr<QTranslator>
InstallQtChineseTexts(const QString& folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));
