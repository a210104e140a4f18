#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Everything a window asks of the user through a modal dialog. The windows
// take it as a parameter, so that tests answer the dialogs and read the
// messages instead of facing a blocking dialog.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box centred on the screen, captioned with the
    // application title, with one OK button; returns once the user closed it.
    // Non-empty details (long lists) go in the box's details area, which the
    // user opens on demand, so that the box always fits the screen.
    virtual void ShowMessage(const QString& text, const QString& details) = 0;
    void ShowMessage(const QString& text) { ShowMessage(text, QString()); }

    // The same box with `acceptText` and "取消", "取消" the default; true
    // when the user chose `acceptText`.
    virtual bool Confirm(const QString& text, const QString& details, const QString& acceptText) = 0;
    // The same with "确定" and "取消".
    bool Confirm(const QString& text, const QString& details) { return Confirm(text, details, QStringLiteral("确定")); }

    // The choosers open at `startFolder`, where the user works; an empty or
    // missing folder leaves the place to the platform.

    // The folder picker: a folder string (FolderString.h), or nothing when the
    // user cancelled.
    virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder) = 0;

    // One existing file chosen with the given filter ("描述|*.txt"), in a
    // dialog titled `title` (the platform's own title when empty); empty on
    // cancel.
    virtual QString ChooseFile(QWidget* owner, const QString& filter, const QString& startFolder,
                               const QString& title) = 0;
    QString ChooseFile(QWidget* owner, const QString& filter, const QString& startFolder)
    {
        return ChooseFile(owner, filter, startFolder, QString());
    }

    // Several existing files of one folder, with full paths; empty on cancel.
    virtual QStringList ChooseFiles(QWidget* owner, const QString& filter, const QString& startFolder) = 0;
};

// The real dialogs of the platform.
class PlatformDialogs final : public Dialogs {
public:
    using Dialogs::ChooseFile;
    using Dialogs::Confirm;
    using Dialogs::ShowMessage;
    void ShowMessage(const QString& text, const QString& details) override;
    bool Confirm(const QString& text, const QString& details, const QString& acceptText) override;
    std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder) override;
    QString ChooseFile(QWidget* owner, const QString& filter, const QString& startFolder,
                       const QString& title) override;
    QStringList ChooseFiles(QWidget* owner, const QString& filter, const QString& startFolder) override;
};
