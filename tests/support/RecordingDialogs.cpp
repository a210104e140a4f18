#include "support/RecordingDialogs.h"

namespace {

template <typename T>
T TakeFront(std::deque<T>& answers)
{
    if (answers.empty())
        return T{};
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

std::optional<QString> RecordingDialogs::ChooseFolder(QWidget*)
{
    return TakeFront(folderAnswers);
}

QString RecordingDialogs::ChooseFile(QWidget*, const QString& filter)
{
    filtersAsked << filter;
    return TakeFront(fileAnswers);
}

QStringList RecordingDialogs::ChooseFiles(QWidget*, const QString& filter)
{
    filtersAsked << filter;
    return TakeFront(filesAnswers);
}
