#pragma once

#include "common/widgets/Dialogs.h"

#include <QStringList>

#include <deque>
#include <optional>

// Dialogs for tests: messages are recorded instead of shown, and the answers
// of the choosers are queued beforehand. A chooser asked without a queued
// answer behaves as if the user cancelled.
class RecordingDialogs final : public Dialogs {
public:
    void ShowMessage(const QString& text) override { messages << text; }
    std::optional<QString> ChooseFolder(QWidget* owner) override;
    QString ChooseFile(QWidget* owner, const QString& filter) override;
    QStringList ChooseFiles(QWidget* owner, const QString& filter) override;

    QStringList messages;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<QString> fileAnswers;
    std::deque<QStringList> filesAnswers;
    QStringList filtersAsked;
};
