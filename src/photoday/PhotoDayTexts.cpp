#include "photoday/PhotoDayTexts.h"

#include "photoday/PhotoDaySession.h"
#include "photoday/SiteStudents.h"

#include <QStringList>

namespace {

// Photographed, absent and still waiting students, by number and the absent
// ones by code; first whether every student had a turn (the day came to the
// roster's end, or no one waits), which a day handed over half-way has not.
QString RosterOutcome(const PhotoDaySession& day)
{
    using State = PhotoDaySession::State;
    const bool everyoneHadATurn = day.AtEnd() || day.CountOf(State::Waiting) == 0;
    QString message = (everyoneHadATurn ? QStringLiteral("名单上的学生都已轮到：已拍 %1 名")
                                        : QStringLiteral("名单还没有轮完：已拍 %1 名"))
                          .arg(day.CountOf(State::Done));
    const QStringList absent = day.AbsentCodes();
    if (!absent.isEmpty())
        message += QStringLiteral("，缺席 %1 名：%2").arg(absent.size()).arg(absent.join(u'、'));
    if (const qsizetype waiting = day.CountOf(State::Waiting))
        message += QStringLiteral("，还有 %1 名没有拍").arg(waiting);
    return message + u'。';
}

QString StateMark(PhotoDaySession::State state)
{
    switch (state) {
    case PhotoDaySession::State::Done:
        return QStringLiteral("√ ");
    case PhotoDaySession::State::Absent:
        return QStringLiteral("缺 ");
    case PhotoDaySession::State::Waiting:
        break;
    }
    return QStringLiteral("　 ");
}

} // namespace

QString RosterLine(const PhotoDaySession& day, qsizetype student, const SiteStudents& students)
{
    const QString code = day.Code(student);
    const QString name = students.NameOf(code);
    return StateMark(day.StateOf(student)) + code + (name.isEmpty() ? QString() : u'　' + name);
}

QString PositionLine(const PhotoDaySession& day)
{
    if (day.AtEnd())
        return QStringLiteral("名单已拍完（共 %1 名）").arg(day.Count());
    return QStringLiteral("第 %1 / %2 名　%3").arg(day.Position() + 1).arg(day.Count()).arg(day.Code(day.Position()));
}

QString ResumedMessage(const PhotoDaySession& day)
{
    return QStringLiteral("接着上次的进度拍照：已拍 %1 名，缺席 %2 名。")
        .arg(day.CountOf(PhotoDaySession::State::Done))
        .arg(day.CountOf(PhotoDaySession::State::Absent));
}

QString RosterEndMessage(const PhotoDaySession& day)
{
    return RosterOutcome(day) + QStringLiteral("点击“交给主窗口”设置照片。");
}

QString HandedOverMessage(const PhotoDaySession& day)
{
    return RosterOutcome(day) + QStringLiteral("照片文件夹已交给主窗口，按文件名对应学籍号。");
}
