// The shared pieces that make every window look and read alike: Qt's own
// texts in Chinese, the status bar's panels and the list boxes.
#include "common/widgets/QtChineseTexts.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(QtChineseTexts, QtsOwnDialogTextsAreChineseWhenTheTranslationIsThere)
{
    const QTemporaryDir noTranslations;
    const struct {
        const char* where;
        QString folder;
        bool installed;
        QString okButton;
        QString fileNameLabel;
    } rows[] = {
        {"Qt's translations", QLibraryInfo::path(QLibraryInfo::TranslationsPath), true, "确定", "文件名称(&N)："},
        {"a folder without them", noTranslations.path(), false, "OK", "File &name:"},
    };
    for (const auto& row : rows) {
        const std::unique_ptr<QTranslator> translator = InstallQtChineseTexts(row.folder);
        EXPECT_EQ(translator != nullptr, row.installed) << row.where;
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), row.okButton) << row.where;
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        EXPECT_EQ(dialog.findChild<QLabel*>("fileNameLabel")->text(), row.fileNameLabel) << row.where;
    }
}
