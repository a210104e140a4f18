#include "widgets/Dialogs.h"

#include "files/FolderString.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/FitToScreen.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The tool writes its filters as "description|pattern;pattern"; Qt wants
// "description (pattern pattern)".
QString QtFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList qtFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        qtFilters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(u';', u' '));
    return qtFilters.join(QStringLiteral(";;"));
}

// A message box settles its size only when it is shown (the details button
// and the icon widen it), so it is centred after that, then run.
void ShowCentred(QMessageBox& box)
{
    box.show();
    CentreOnScreen(box);
    box.exec();
}

// Shows a file dialog no larger than its screen (Qt's own dialog asks for
// more room than a small or strongly scaled screen has); the files chosen,
// none on cancel.
QStringList Choose(QFileDialog& dialog)
{
    dialog.resize(SizeWithinScreen(dialog, dialog.sizeHint()));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace

void PlatformDialogs::ShowMessage(const QString& text, const QString& details)
{
    // Without a parent the box blocks every window of the tool. Qt would place
    // it over the active window; the tool's messages sit in the screen's centre.
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    box.setDetailedText(details);
    ShowCentred(box);
}

bool PlatformDialogs::Confirm(const QString& text, const QString& details, const QString& acceptText)
{
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text);
    QPushButton* yes = box.addButton(acceptText, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
    box.setDetailedText(details);
    ShowCentred(box);
    return box.clickedButton() == yes;
}

// One folder picker for every window: a modal dialog titled "请选择文件夹!"
// that accepts only existing folders.
std::optional<QString> PlatformDialogs::ChooseFolder(QWidget* owner, const QString& startFolder)
{
    QFileDialog dialog(owner, QStringLiteral("请选择文件夹!"), startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QStringList chosen = Choose(dialog);
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return FolderString(chosen.first());
}

QString PlatformDialogs::ChooseFile(QWidget* owner, const QString& filter, const QString& startFolder,
                                    const QString& title)
{
    QFileDialog dialog(owner, title, startFolder, QtFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Choose(dialog).value(0);
}

QStringList PlatformDialogs::ChooseFiles(QWidget* owner, const QString& filter, const QString& startFolder)
{
    QFileDialog dialog(owner, QString(), startFolder, QtFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly);
    return Choose(dialog);
}
