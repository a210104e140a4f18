#include "windows/main/ProofSheet.h"

#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "widgets/CentreOnScreen.h"
#include "widgets/FitToScreen.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>

#include <algorithm>

TProofSheet::TProofSheet(const AssignmentPlan& plan, FaceExamination examination, QWidget* parent)
    : QDialog(parent),
      shown_(plan),
      review_(std::move(examination)),
      thumbnails_(kThumbnailBox),
      model_(shown_, thumbnails_)
{
    ui.setupUi(this);
    setWindowTitle(QStringLiteral("核对"));
    // Thousands of rows are read best on the whole screen: the sheet can be
    // maximised, and opens as large as its screen's free area allows.
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    const QSize screenArea = screen() ? screen()->availableGeometry().size() : kSmallestSize;
    resize(SizeWithinScreen(*this, (screenArea * 0.9).expandedTo(kSmallestSize)));
    ShowSummary(QStringLiteral("正在检查照片中的人脸……"));

    ui.planGrid->setModel(&model_);
    ui.planGrid->setIconSize(kThumbnailBox);
    // Fixed row heights and column widths: nothing is measured over all
    // rows, so thousands of students open at once.
    ui.planGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui.planGrid->verticalHeader()->setDefaultSectionSize(kThumbnailBox.height() + 8);
    ui.planGrid->verticalHeader()->hide();
    // The columns fit their texts (FitColumnsToContent); the warnings, last,
    // take what a wider window leaves. On a narrow screen the grid scrolls
    // instead, and a cell cut short shows its text as a tool tip.
    ui.planGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ui.planGrid->horizontalHeader()->setStretchLastSection(true);
    ui.planGrid->setItemDelegate(&cutTextTips_);
    for (int c = 0; c < kPlanColumnCount; ++c)
        ui.planGrid->setColumnHidden(c, !PlanColumnShown(plan, static_cast<PlanColumn>(c)));
    FitColumnsToContent();

    connect(ui.approveButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui.cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.shiftCheckedBox, &QCheckBox::toggled, this, &TProofSheet::EnableApproval);
    connect(ui.warningsOnlyBox, &QCheckBox::toggled, &model_, &ProofSheetModel::ShowWarningsOnly);
    EnableApproval();
}

TProofSheet::~TProofSheet()
{
    // Before anything it may still tell of goes.
    review_.Stop();
}

void TProofSheet::done(int result)
{
    review_.Stop();
    QDialog::done(result);
}

void TProofSheet::ShowSummary(const QString& more)
{
    QString summary = PlanSummary(shown_);
    if (shown_.HasWarnings())
        summary += QStringLiteral("\n有提示的学生排在最前面，请逐一核对照片和学籍号是否对应。");
    if (!more.isEmpty())
        summary += u'\n' + more;
    ui.summaryLabel->setText(summary);
}

void TProofSheet::StartFaceReview()
{
    // The review reads its own copy of the plan; what it tells arrives on
    // the sheet's thread, and nothing arrives once the sheet is gone.
    review_.Start(shown_,
                  {[this](ReviewProgress progress) {
                       QMetaObject::invokeMethod(
                           this, [this, progress] { ShowProgress(progress); }, Qt::QueuedConnection);
                   },
                   [this] { QMetaObject::invokeMethod(this, &TProofSheet::TakeFaceReview, Qt::QueuedConnection); }});
}

void TProofSheet::ShowProgress(ReviewProgress progress)
{
    if (!facesChecked_)
        ShowSummary(QStringLiteral("正在检查照片中的人脸（%1/%2）……").arg(progress.done).arg(progress.total));
}

void TProofSheet::TakeFaceReview()
{
    std::optional<ReviewedPlan> reviewed = review_.Result();
    if (!reviewed || facesChecked_)
        return;
    shown_ = std::move(reviewed->plan);
    mustConfirmShifts_ = reviewed->MustConfirmShifts();
    facesChecked_ = true;
    model_.Show(shown_);
    FitColumnsToContent();
    ShowSummary({});
    ui.shiftCheckedBox->setVisible(mustConfirmShifts_);
    EnableApproval();
    emit FacesChecked();
}

void TProofSheet::EnableApproval()
{
    ui.approveButton->setEnabled(facesChecked_ && (!mustConfirmShifts_ || ui.shiftCheckedBox->isChecked()));
}

void TProofSheet::FitColumnsToContent()
{
    const QFontMetrics cells = ui.planGrid->fontMetrics();
    const QFontMetrics titles = ui.planGrid->horizontalHeader()->fontMetrics();
    // A text's margins in a cell and a title's room for its frame.
    const int padding = 2 * (ui.planGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 4;
    // One long text (a file name, many warnings) must not push the others
    // off the screen: it is cut, and its tool tip tells it whole.
    const int widest = cells.averageCharWidth() * kWidestColumnCharacters;
    for (int c = 0; c < kPlanColumnCount; ++c) {
        const PlanColumn column = static_cast<PlanColumn>(c);
        const int thumbnail = PlanColumnShowsPhoto(column) ? kThumbnailBox.width() + padding : 0;
        const int text = std::min(cells.horizontalAdvance(model_.WidestText(column)) + padding, widest);
        const int title = titles.horizontalAdvance(PlanColumnTitle(column)) + 2 * padding;
        ui.planGrid->setColumnWidth(c, std::max(thumbnail + text, title));
    }
}

void TProofSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Larger than the main window, it is placed on the screen rather than over it.
    CentreOnScreen(*this);
    StartFaceReview();
}

std::optional<AssignmentPlan> ProofSheetReview::Approve(QWidget* owner, const AssignmentPlan& plan)
{
    TProofSheet sheet(plan, examination_, owner);
    if (sheet.exec() != QDialog::Accepted)
        return std::nullopt;
    return sheet.ShownPlan();
}
