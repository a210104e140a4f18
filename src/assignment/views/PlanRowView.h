#pragma once

#include "assignment/plan/AssignmentPlan.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// How a plan is shown to the user. The proof sheet window, the printed proof
// sheet and the command line's table all show these columns with these
// texts and nothing of their own, so that they cannot tell a user different
// things: a column (PlanColumn and its line in PlanRowView.cpp's table) or a
// warning's text added here shows in all three.

// The columns, in the order they are shown.
enum class PlanColumn {
    Line,
    Code,
    Name, // shown only for a plan with a name column (PlanColumnShown)
    NewPhoto,
    Kind,
    Size,
    Student,
    PresentPhoto,
    Destination,
    Warnings,
};
inline constexpr int kPlanColumnCount = static_cast<int>(PlanColumn::Warnings) + 1;

QString PlanColumnTitle(PlanColumn column);
// Whether the views of `plan` show the column: the names only where the
// site's table has them.
bool PlanColumnShown(const AssignmentPlan& plan, PlanColumn column);
// Whether the column's cells show a thumbnail of a photo beside their text.
bool PlanColumnShowsPhoto(PlanColumn column);
// A width that fits most cells, in Latin characters (a Chinese one counts
// two), for a window that cannot measure every row of thousands.
int PlanColumnTypicalWidth(PlanColumn column);

// The short text of a warning, as the summary counts it.
QString WarningText(PlanWarning warning);

// One cell: its text (one line) and the photo file it shows as a thumbnail
// (empty: none).
struct PlanCell {
    QString text;
    QString photo;
};

// One row of a plan as it is shown.
struct PlanRowView {
    std::array<PlanCell, kPlanColumnCount> cells;
    // The row's warnings, each with its particulars (the unreadable photo's
    // reason, the odd shape's size); the Warnings column joins them.
    QStringList warnings;

    const PlanCell& operator[](PlanColumn column) const { return cells[static_cast<int>(column)]; }
};

PlanRowView ViewOfPlanRow(const PlanRow& row);

// "共 N 名学生" and the count of each warning, for the top of a proof sheet,
// then the plan's notices, each on a line of its own.
QString PlanSummary(const AssignmentPlan& plan);
