#pragma once

#include "widgets/Dialogs.h"

#include <QStringList>

#include <deque>
#include <optional>

// Dialogs for tests: messages are recorded instead of shown, and the answers
// of the choosers are queued beforehand. A chooser asked without a queued
// answer behaves as if the user cancelled.
class RecordingDialogs final : public Dialogs {
public:
    using Dialogs::ChooseFile;
    using Dialogs::Confirm;
    using Dialogs::ShowMessage;
    void ShowMessage(const QString& text, const QString& details) override
    {
        messages << text;
        this->details << details;
    }
    // Recorded like a message (its accept button's text in acceptTexts);
    // answered from confirmAnswers, "取消" when none is queued.
    bool Confirm(const QString& text, const QString& details, const QString& acceptText) override;
    std::optional<QString> ChooseFolder(QWidget* owner, const QString& startFolder) override;
    QString ChooseFile(QWidget* owner, const QString& filter, const QString& startFolder,
                       const QString& title) override;
    QStringList ChooseFiles(QWidget* owner, const QString& filter, const QString& startFolder) override;

    QStringList messages;
    QStringList details; // one per message, empty when it had none
    QStringList questions;
    QStringList acceptTexts;     // one per question
    QStringList questionDetails; // one per question, empty when it had none
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<QString> fileAnswers;
    std::deque<QStringList> filesAnswers;
    QStringList filtersAsked;
    QStringList fileTitles;   // the title of each file chooser, in order
    QStringList startFolders; // where each chooser was asked to open, in order
};
