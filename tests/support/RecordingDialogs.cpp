#include "support/RecordingDialogs.h"

#include <utility>

namespace {

template <typename T> T TakeFront(std::deque<T>& answers)
{
    // A value made up front and swapped keeps GCC's -O2 maybe-uninitialized
    // check quiet about std::optional<QString>.
    T answer{};
    if (!answers.empty()) {
        std::swap(answer, answers.front());
        answers.pop_front();
    }
    return answer;
}

} // namespace

std::optional<QString> RecordingDialogs::ChooseFolder(QWidget*, const QString& startFolder)
{
    startFolders << startFolder;
    return TakeFront(folderAnswers);
}

QString RecordingDialogs::ChooseFile(QWidget*, const QString& filter, const QString& startFolder, const QString& title)
{
    fileTitles << title;
    filtersAsked << filter;
    startFolders << startFolder;
    return TakeFront(fileAnswers);
}

QStringList RecordingDialogs::ChooseFiles(QWidget*, const QString& filter, const QString& startFolder)
{
    filtersAsked << filter;
    startFolders << startFolder;
    return TakeFront(filesAnswers);
}

bool RecordingDialogs::Confirm(const QString& text, const QString& details, const QString& acceptText)
{
    questions << text;
    acceptTexts << acceptText;
    questionDetails << details;
    return TakeFront(confirmAnswers);
}
