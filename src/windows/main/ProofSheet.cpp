#include "windows/main/ProofSheet.h"

#include "assignment/AssignmentPlan.h"
#include "assignment/PlanRowView.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/FitToScreen.h"

#include <QEvent>
#include <QHeaderView>
#include <QScreen>

#include <algorithm>

TProofSheet::TProofSheet(const AssignmentPlan& plan, QWidget* parent)
    : QDialog(parent), thumbnails_(kThumbnailBox), model_(plan, thumbnails_)
{
    ui.setupUi(this);
    setWindowTitle(QStringLiteral("核对"));
    // Thousands of rows are read best on the whole screen: the sheet can be
    // maximised, and opens as large as its screen's free area allows.
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    const QSize screenArea = screen() ? screen()->availableGeometry().size() : kSmallestSize;
    resize(SizeWithinScreen(*this, (screenArea * 0.9).expandedTo(kSmallestSize)));
    QString summary = PlanSummary(plan);
    if (plan.HasWarnings())
        summary += QStringLiteral("\n有提示的学生排在最前面，请逐一核对照片和学籍号是否对应。");
    ui.Label1->setText(summary);

    ui.Grid1->setModel(&model_);
    ui.Grid1->setIconSize(kThumbnailBox);
    // Fixed row heights and column widths: nothing is measured over all
    // rows, so thousands of students open at once.
    ui.Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui.Grid1->verticalHeader()->setDefaultSectionSize(kThumbnailBox.height() + 8);
    ui.Grid1->verticalHeader()->hide();
    // The columns start at widths that fit most cells; the photo columns
    // share what a wider window leaves, so that they grow with it
    // (WidenPhotoColumns). On a narrow screen the grid scrolls instead.
    ui.Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int charWidth = ui.Grid1->fontMetrics().averageCharWidth();
    for (int c = 0; c < kPlanColumnCount; ++c) {
        const PlanColumn column = static_cast<PlanColumn>(c);
        const int photoWidth = PlanColumnShowsPhoto(column) ? kThumbnailBox.width() + 8 : 0;
        typicalWidths_[c] = photoWidth + charWidth * PlanColumnTypicalWidth(column) + 12;
        ui.Grid1->setColumnWidth(c, typicalWidths_[c]);
        ui.Grid1->setColumnHidden(c, !PlanColumnShown(plan, column));
    }
    ui.Grid1->viewport()->installEventFilter(this);

    connect(ui.Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui.Button2, &QPushButton::clicked, this, &QDialog::reject);
}

bool TProofSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.Grid1->viewport() && event->type() == QEvent::Resize)
        WidenPhotoColumns();
    return QDialog::eventFilter(watched, event);
}

void TProofSheet::WidenPhotoColumns()
{
    int typical = 0;
    int photoColumns = 0;
    for (int c = 0; c < kPlanColumnCount; ++c) {
        typical += typicalWidths_[c];
        photoColumns += PlanColumnShowsPhoto(static_cast<PlanColumn>(c)) ? 1 : 0;
    }
    const int spare = std::max(0, ui.Grid1->viewport()->width() - typical);
    for (int c = 0; c < kPlanColumnCount; ++c) {
        if (PlanColumnShowsPhoto(static_cast<PlanColumn>(c)))
            ui.Grid1->setColumnWidth(c, typicalWidths_[c] + spare / std::max(1, photoColumns));
    }
}

void TProofSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Larger than the main window, it is placed on the screen rather than over it.
    CentreOnScreen(*this);
}

bool ProofSheetReview::Approve(QWidget* owner, const AssignmentPlan& plan)
{
    TProofSheet sheet(plan, owner);
    return sheet.exec() == QDialog::Accepted;
}
