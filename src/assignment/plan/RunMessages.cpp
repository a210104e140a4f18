#include "assignment/plan/RunMessages.h"

namespace {

constexpr qsizetype kCodesShown = 10;

} // namespace

QString ShownCode(const QString& code)
{
    if (code.isEmpty())
        return QStringLiteral("（空学籍号）");
    QString text;
    for (const QChar c : code) {
        if (c.category() == QChar::Other_Control)
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        // Blanks other than the ASCII one look alike and are not: written out.
        else if (c.isSpace() && c != u' ')
            text += QStringLiteral("[U+%1]").arg(QString::number(c.unicode(), 16).toUpper());
        else
            text += c;
    }
    return text;
}

QString ShortCodeList(const QList<StudentNote>& students)
{
    QStringList shown;
    for (qsizetype i = 0; i < students.size() && i < kCodesShown; ++i)
        shown << ShownCode(students[i].code);
    QString text = shown.join(QStringLiteral("、"));
    if (students.size() > kCodesShown)
        text += QStringLiteral(" 等 %1 名").arg(students.size());
    return text;
}

QString StudentLines(const QList<StudentNote>& students)
{
    QStringList lines;
    for (const StudentNote& student : students) {
        QString line = QStringLiteral("第 %1 行 %2").arg(student.line).arg(ShownCode(student.code));
        if (!student.reason.isEmpty())
            line += QStringLiteral("：") + student.reason;
        lines << line;
    }
    return lines.join(u'\n');
}

AssignmentOutcome Refusal(const QString& message, const QString& details)
{
    AssignmentOutcome outcome;
    outcome.result = AssignmentOutcome::Result::Refused;
    outcome.message = message;
    outcome.details = details;
    return outcome;
}

AssignmentOutcome Failure(const QString& reason)
{
    AssignmentOutcome outcome;
    outcome.result = AssignmentOutcome::Result::Failed;
    outcome.message = AssignmentMessages::kFailed + QStringLiteral("\n\n出错原因：") + reason;
    outcome.statusText = AssignmentMessages::kFailedStatus;
    outcome.failureReason = reason;
    return outcome;
}
