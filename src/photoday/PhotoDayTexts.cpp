#include "photoday/PhotoDayTexts.h"

#include "photoday/PhotoDaySession.h"
#include "photoday/SiteStudents.h"

#include <QStringList>

namespace {

using State = PhotoDaySession::State;

// Codes named in a message; the rest go to its details.
constexpr qsizetype kCodesNamed = 10;

// "已拍 N 名", and how many of them were saved despite the checks.
QString Photographed(const PhotoDaySession& day)
{
    QString text = QStringLiteral("已拍 %1 名").arg(day.CountOf(State::Done));
    if (const qsizetype withProblems = day.CountSavedWithProblems())
        text += QStringLiteral("（其中 %1 名的照片有问题仍保存）").arg(withProblems);
    return text;
}

// The first codes of a list, and how many more there are.
QString FirstCodes(const QStringList& codes)
{
    QString text = codes.mid(0, kCodesNamed).join(u'、');
    if (codes.size() > kCodesNamed)
        text += QStringLiteral(" 等 %1 名").arg(codes.size());
    return text;
}

// Photographed, absent and still waiting students, by number and the absent
// ones by code; first whether every student had a turn (the day came to the
// roster's end, or no one waits), which a day handed over half-way has not.
QString RosterOutcome(const PhotoDaySession& day)
{
    const bool everyoneHadATurn = day.AtEnd() || day.CountOf(State::Waiting) == 0;
    QString message = (everyoneHadATurn ? QStringLiteral("名单上的学生都已轮到：") : QStringLiteral("名单还没有轮完："))
                      + Photographed(day);
    const QStringList absent = day.CodesOf(State::Absent);
    if (!absent.isEmpty())
        message += QStringLiteral("，缺席 %1 名：%2").arg(absent.size()).arg(FirstCodes(absent));
    if (const qsizetype waiting = day.CountOf(State::Waiting))
        message += QStringLiteral("，还有 %1 名没有拍").arg(waiting);
    return message + u'。';
}

QString StateMark(const PhotoDaySession& day, qsizetype student)
{
    switch (day.StateOf(student)) {
    case State::Done: {
        const auto saved = day.SavedPhotoOf(student);
        return saved && !saved->problems.isEmpty() ? QStringLiteral("！ ") : QStringLiteral("√ ");
    }
    case State::Absent:
        return QStringLiteral("缺 ");
    case State::Waiting:
        break;
    }
    return QStringLiteral("　 ");
}

} // namespace

QString RosterLine(const PhotoDaySession& day, qsizetype student, const SiteStudents& students)
{
    const QString code = day.Code(student);
    const QString name = students.NameOf(code);
    return StateMark(day, student) + code + (name.isEmpty() ? QString() : u'　' + name);
}

QString PositionLine(const PhotoDaySession& day)
{
    if (day.AtEnd())
        return QStringLiteral("名单已拍完（共 %1 名）").arg(day.Count());
    return QStringLiteral("第 %1 / %2 名　%3").arg(day.Position() + 1).arg(day.Count()).arg(day.Code(day.Position()));
}

QString ResumedMessage(const PhotoDaySession& day)
{
    return QStringLiteral("接着上次的进度拍照：%1，缺席 %2 名。")
        .arg(Photographed(day))
        .arg(day.CountOf(State::Absent));
}

QString RosterEndMessage(const PhotoDaySession& day)
{
    return RosterOutcome(day) + QStringLiteral("点击“交给主窗口”设置照片。");
}

HandOverQuestion HandOverQuestionOf(const PhotoDaySession& day)
{
    const QStringList absent = day.CodesOf(State::Absent);
    const QStringList waiting = day.CodesOf(State::Waiting);
    QString text =
        QStringLiteral("%1，缺席 %2 名，未轮到 %3 名。").arg(Photographed(day)).arg(absent.size()).arg(waiting.size());
    if (!absent.isEmpty())
        text += QStringLiteral("\n缺席：%1").arg(FirstCodes(absent));
    if (!waiting.isEmpty())
        text += QStringLiteral("\n未轮到：%1").arg(FirstCodes(waiting));
    text += QStringLiteral("\n\n主窗口将得到这份名单和照片文件夹，按文件名对应照片；缺席的学生在核对表中标为“缺席”。");
    QStringList details;
    if (!absent.isEmpty())
        details << QStringLiteral("缺席（%1 名）：\n%2").arg(absent.size()).arg(absent.join(u'\n'));
    if (!waiting.isEmpty())
        details << QStringLiteral("未轮到（%1 名）：\n%2").arg(waiting.size()).arg(waiting.join(u'\n'));
    return {text, details.join(QStringLiteral("\n\n"))};
}
