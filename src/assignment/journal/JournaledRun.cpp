#include "assignment/journal/JournaledRun.h"

QList<JournalEntry> JournaledRun::EntriesToUndo() const
{
    QList<JournalEntry> entries;
    for (const JournalEntry& entry : this->entries) {
        if (!entry.undone)
            entries << entry;
    }
    return entries;
}

QString JournaledRun::StartedText() const
{
    return RunTimeText(started);
}

QStringList JournaledRun::Damage() const
{
    QStringList damage;
    if (!unusable.isEmpty())
        damage << unusable;
    damage << problems;
    for (const JournalEntry& entry : entries) {
        if (!entry.damage.isEmpty())
            damage << QStringLiteral("第 %1 行学生 %2：%3").arg(entry.line).arg(entry.code, entry.damage);
    }
    return damage;
}

QString JournaledRun::StateText() const
{
    if (!unusable.isEmpty())
        return QStringLiteral("记录已损坏");
    if (undone)
        return QStringLiteral("已撤销");
    switch (state) {
    case State::Complete:
        return studentsNotSet > 0 ? QStringLiteral("部分完成") : QStringLiteral("完整");
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
