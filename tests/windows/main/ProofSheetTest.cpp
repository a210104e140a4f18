// The proof sheet and its face review: "确定设置" waits for the review, and
// after a notice of shifted rows also for the tick "我已核对错位提示"; the
// plan approved is the plan the review gave back; closing the sheet stops
// the review.
#include "windows/main/ProofSheet.h"

#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "support/QtPrinters.h"
#include "windows/main/ProofSheetAnswers.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <thread>

namespace {

const QString kShift = QStringLiteral("第 9–19 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对");

AssignmentPlan Plan()
{
    AssignmentPlan plan;
    for (int i = 0; i < 20; ++i) {
        PlanRow row;
        row.line = i + 1;
        row.code = QStringLiteral("S%1").arg(i + 1);
        row.photo.kind = PhotoFacts::Kind::Jpeg;
        row.studentExists = true;
        plan.rows << row;
    }
    return plan;
}

void WarnNoFaceOnRow3(AssignmentPlan& plan)
{
    plan.rows[2].warnings |= PlanWarning::NoFace;
}

TEST(ProofSheet, ShiftedRowsKeepTheRunBackUntilTheUserTicksThatTheyLooked)
{
    TProofSheet sheet(Plan(), MadeExamination({}, {kShift}));
    auto& controls = Controls(sheet);
    EXPECT_FALSE(controls.approveButton->isEnabled()); // the faces are not checked yet
    sheet.show();
    WaitForFaceReview(sheet);
    EXPECT_TRUE(controls.summaryLabel->text().contains(kShift)) << controls.summaryLabel->text().toStdString();
    EXPECT_FALSE(controls.shiftCheckedBox->isHidden());
    EXPECT_EQ(controls.shiftCheckedBox->text(), QStringLiteral("我已核对错位提示"));
    EXPECT_FALSE(controls.approveButton->isEnabled());
    controls.shiftCheckedBox->setChecked(true);
    EXPECT_TRUE(controls.approveButton->isEnabled());
    controls.shiftCheckedBox->setChecked(false);
    EXPECT_FALSE(controls.approveButton->isEnabled());
}

TEST(ProofSheet, TheReviewsWarningsJoinTheRowsAndAloneKeepNothingBack)
{
    TProofSheet sheet(Plan(), MadeExamination(WarnNoFaceOnRow3));
    auto& controls = Controls(sheet);
    const QAbstractItemModel& grid = *controls.planGrid->model();
    EXPECT_EQ(grid.index(0, int(PlanColumn::Code)).data().toString(), QStringLiteral("S1"));
    EXPECT_TRUE(controls.summaryLabel->text().contains(QStringLiteral("正在检查照片中的人脸")));
    sheet.show();
    WaitForFaceReview(sheet);
    EXPECT_TRUE(controls.shiftCheckedBox->isHidden());
    EXPECT_TRUE(controls.approveButton->isEnabled());
    EXPECT_FALSE(controls.summaryLabel->text().contains(QStringLiteral("错位")));
    EXPECT_FALSE(controls.summaryLabel->text().contains(QStringLiteral("正在检查")));
    // The row warned of comes first, with the review's warning.
    EXPECT_EQ(grid.index(0, int(PlanColumn::Code)).data().toString(), QStringLiteral("S3"));
    EXPECT_EQ(grid.index(0, int(PlanColumn::Warnings)).data().toString(), QStringLiteral("照片中找不到人脸"));
    EXPECT_TRUE(sheet.ShownPlan().rows[2].warnings.testFlag(PlanWarning::NoFace));
}

// Among thousands of rows to be replaced, the user clicks the tick box to
// see only the rows with warnings, and clicks again to see all.
TEST(ProofSheet, TheTickBoxShowsOnlyTheRowsWithWarnings)
{
    AssignmentPlan plan = Plan();
    for (PlanRow& row : plan.rows)
        row.warnings |= PlanWarning::HasPhoto;
    TProofSheet sheet(plan, MadeExamination(WarnNoFaceOnRow3));
    auto& controls = Controls(sheet);
    sheet.show();
    WaitForFaceReview(sheet);
    const QAbstractItemModel& grid = *controls.planGrid->model();
    ASSERT_EQ(grid.rowCount(), 20);
    EXPECT_TRUE(controls.warningsOnlyBox->text().startsWith(QStringLiteral("只看有警告的学生")));

    QTest::mouseClick(controls.warningsOnlyBox, Qt::LeftButton, {}, QPoint(4, controls.warningsOnlyBox->height() / 2));
    ASSERT_TRUE(controls.warningsOnlyBox->isChecked());
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.index(0, int(PlanColumn::Code)).data().toString(), QStringLiteral("S3"));

    QTest::mouseClick(controls.warningsOnlyBox, Qt::LeftButton, {}, QPoint(4, controls.warningsOnlyBox->height() / 2));
    EXPECT_EQ(grid.rowCount(), 20);
}

// The text of the tool tip the grid shows when the pointer rests on the
// cell at `row`, `column`; empty when it shows none.
QString ToolTipAt(TProofSheet& sheet, int row, PlanColumn column)
{
    QTableView& grid = *Controls(sheet).planGrid;
    QToolTip::hideText();
    const QPoint at = grid.visualRect(grid.model()->index(row, int(column))).center();
    QHelpEvent hover(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// In a class every code shares its first digits: the codes show whole at
// 1366 x 768, the photo columns are no wider than their thumbnail and
// text, and a cell the grid must cut tells its text as a tool tip.
TEST(ProofSheet, ColumnsFitTheirTextsAndCutCellsTellThemWhole)
{
    AssignmentPlan plan = Plan();
    for (PlanRow& row : plan.rows) {
        row.code = QStringLiteral("20230101%1").arg(row.line, 4, 10, QChar(u'0'));
        row.photoName = QStringLiteral("IMG_%1.jpg").arg(row.line + 4000);
        row.warnings |= PlanWarning::HasPhoto;
    }
    plan.rows[0].warnings |= PlanWarning::UnreadablePhoto | PlanWarning::OddShape | PlanWarning::NoStudent
                             | PlanWarning::CodeNeedsFolding | PlanWarning::BlankAroundCode;
    TProofSheet sheet(plan, MadeExamination({}));
    sheet.resize(1366, 768);
    sheet.show();
    WaitForFaceReview(sheet);
    QTableView& grid = *Controls(sheet).planGrid;
    const QFontMetrics text = grid.fontMetrics();

    const int longestCode = text.horizontalAdvance(QStringLiteral("202301010020"));
    EXPECT_GE(grid.columnWidth(int(PlanColumn::Code)), longestCode);
    EXPECT_LT(grid.columnWidth(int(PlanColumn::Code)), longestCode * 2);
    const int photoCell = TProofSheet::kThumbnailBox.width() + text.horizontalAdvance(QStringLiteral("IMG_4020.jpg"));
    EXPECT_GE(grid.columnWidth(int(PlanColumn::NewPhoto)), photoCell);
    EXPECT_LT(grid.columnWidth(int(PlanColumn::NewPhoto)), photoCell + 60);
    // The grid reaches across the window's width.
    EXPECT_LE(grid.viewport()->width() - grid.horizontalHeader()->length(), 0);

    for (int row = 0; row < grid.model()->rowCount(); ++row) {
        const QString code = grid.model()->index(row, int(PlanColumn::Code)).data().toString();
        EXPECT_EQ(ToolTipAt(sheet, row, PlanColumn::Code), QString()) << code.toStdString();
    }
    // Row 1 comes first, with more warnings than the grid has room for.
    const QString warnings = grid.model()->index(0, int(PlanColumn::Warnings)).data().toString();
    ASSERT_TRUE(warnings.contains(QStringLiteral("学籍号前后有空格"))) << warnings.toStdString();
    EXPECT_EQ(ToolTipAt(sheet, 0, PlanColumn::Warnings), warnings);
}

TEST(ProofSheet, TheApprovedPlanIsThePlanTheReviewGaveBack)
{
    ProofSheetReview review(MadeExamination(WarnNoFaceOnRow3, {kShift}));
    const AssignmentPlan plan = Plan();

    AnswerNextProofSheet(true);
    const std::optional<AssignmentPlan> approved = review.Approve(nullptr, plan);
    ASSERT_TRUE(approved);
    EXPECT_TRUE(approved->rows[2].warnings.testFlag(PlanWarning::NoFace));
    EXPECT_EQ(approved->notices, QStringList{kShift});
    EXPECT_EQ(approved->rows.size(), plan.rows.size());

    AnswerNextProofSheet(false);
    EXPECT_FALSE(review.Approve(nullptr, plan));
}

TEST(ProofSheet, ClosingTheSheetStopsItsReview)
{
    std::atomic<bool> begun{false};
    std::atomic<bool> stopped{false};
    TProofSheet sheet(Plan(), [&](AssignmentPlan&, const SurveyProgress&, const std::atomic<bool>& stop) {
        begun = true;
        while (!stop)
            std::this_thread::yield();
        stopped = true;
        return QStringList();
    });
    sheet.show();
    while (!begun)
        std::this_thread::yield();

    Controls(sheet).cancelButton->click();

    // Stopped by the time the sheet has closed, not when it is destroyed.
    EXPECT_TRUE(stopped);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_FALSE(sheet.FacesAreChecked());
    EXPECT_FALSE(Controls(sheet).approveButton->isEnabled());
}

} // namespace
