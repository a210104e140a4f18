#include "assignment/JournalRun.h"

QList<JournalEntry> JournalRun::EntriesToUndo() const
{
    QList<JournalEntry> entries;
    for (const JournalEntry& entry : this->entries) {
        if (!entry.undone)
            entries << entry;
    }
    return entries;
}

QString JournalRun::StartedText() const
{
    return RunTimeText(started);
}

QString JournalRun::StateText() const
{
    if (undone)
        return QStringLiteral("已撤销");
    switch (state) {
    case State::Complete:
        return QStringLiteral("完整");
    case State::Failed:
        return QStringLiteral("失败");
    case State::CutOff:
        break;
    }
    return QStringLiteral("中断");
}

QString RunTimeText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
