#pragma once

#include <QString>

class PhotoDaySession;
class SiteStudents;

// What the photo day shows and says, made from its session.

// The roster list's line of `student`: its state (√ photographed, ！
// photographed with the checks' problems, 缺 absent, a blank while
// waiting), its code, and the name the site gives it.
QString RosterLine(const PhotoDaySession& day, qsizetype student, const SiteStudents& students);

// Where the day stands: "第 N / M 名" and the current code, or at the end
// that the roster is through.
QString PositionLine(const PhotoDaySession& day);

// A day resumed from its progress file, when it starts again.
QString ResumedMessage(const PhotoDaySession& day);

// The end of the roster was reached: what became of it, and what to do next.
QString RosterEndMessage(const PhotoDaySession& day);

// What "交给主窗口" asks before it hands the day over: how many students were
// photographed, absent and not reached yet, with their codes (the first few
// of each in `text`, all of them in `details`), and what the main window
// gets.
struct HandOverQuestion {
    QString text;
    QString details;
};
HandOverQuestion HandOverQuestionOf(const PhotoDaySession& day);
