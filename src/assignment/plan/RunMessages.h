#pragma once

#include "assignment/plan/AssignmentTypes.h"

#include <QString>

// The texts of run outcomes, shared by the plan, the run and the undo, so
// that every message lists students the same way and stays short enough
// for a message box.

namespace AssignmentMessages {
inline const QString kFolderNotChosen = QStringLiteral("请选择要更新的目录！");
inline const QString kNoPhotos = QStringLiteral("没有加载图片!");
inline const QString kCountsDiffer = QStringLiteral("学生数和图片数不一致，请重试！");
inline const QString kDone = QStringLiteral("图片设置完成，请重新启动IIS");
inline const QString kDoneStatus = QStringLiteral("图片设置完成");
inline const QString kFailed = QStringLiteral("图片设置失败，请确认软件目录是否选择正确");
inline const QString kFailedStatus = QStringLiteral("更新失败");
inline const QString kNothingToUndo = QStringLiteral("这个网站没有可以撤销的设置。");
} // namespace AssignmentMessages

// A code as the user can read it in a message: control characters written
// out, the empty code named as such.
QString ShownCode(const QString& code);

// At most the first ten codes, then "等 N 名" with the whole count when
// there are more.
QString ShortCodeList(const QList<StudentNote>& students);

// One line per student: "第 L 行 CODE：reason" (without "：" when there is no reason).
QString StudentLines(const QList<StudentNote>& students);

// A run stopped before it began: the message, and the full lists for the
// details area when the message had to be cut.
AssignmentOutcome Refusal(const QString& message, const QString& details = {});

// A run that could not begin or go on: the fixed failure text, then the
// reason in the database's or the system's own words.
AssignmentOutcome Failure(const QString& reason);
