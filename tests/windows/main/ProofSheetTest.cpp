// The proof sheet's answer to the face checks: "确定设置" waits for them, and
// after a notice of shifted rows also for the tick "我已核对错位提示".
#include "windows/main/ProofSheet.h"

#include "assignment/checks/FaceChecks.h"
#include "assignment/plan/AssignmentPlan.h"
#include "support/MadeFaces.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

SurveyedPhoto Portrait(int person, int photo)
{
    SurveyedPhoto look;
    look.read = true;
    look.portrait.faces = 1;
    look.portrait.faceHeight = 300;
    look.portrait.sharpness = 100;
    look.portrait.faceCrop = MadeFaceCrop(person, photo);
    return look;
}

// Twenty students with photos in the site; from row `shiftFrom` (from 0) on,
// each new photo shows the next student.
FaceSurvey Survey(int shiftFrom)
{
    FaceSurvey survey;
    for (int i = 0; i < 20; ++i) {
        survey.currentPhotos.push_back(Portrait(i, 0));
        survey.newPhotos.push_back(Portrait(i < shiftFrom ? i : i + 1, 1));
    }
    return survey;
}

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

TEST(ProofSheet, ShiftedRowsKeepTheRunBackUntilTheUserTicksThatTheyLooked)
{
    const AssignmentPlan plan = Plan();
    TProofSheet sheet(plan);
    EXPECT_FALSE(Controls(sheet).approveButton->isEnabled()); // the faces are not checked yet
    QSignalSpy checked(&sheet, &TProofSheet::FacesChecked);
    sheet.TakeFaceChecks(Survey(8));
    EXPECT_EQ(checked.size(), 1);
    EXPECT_TRUE(Controls(sheet).summaryLabel->text().contains(QStringLiteral("第 9–19 行的照片可能整体错位一行")));
    EXPECT_FALSE(Controls(sheet).shiftCheckedBox->isHidden());
    EXPECT_EQ(Controls(sheet).shiftCheckedBox->text(), QStringLiteral("我已核对错位提示"));
    EXPECT_FALSE(Controls(sheet).approveButton->isEnabled());
    Controls(sheet).shiftCheckedBox->setChecked(true);
    EXPECT_TRUE(Controls(sheet).approveButton->isEnabled());
    Controls(sheet).shiftCheckedBox->setChecked(false);
    EXPECT_FALSE(Controls(sheet).approveButton->isEnabled());
}

TEST(ProofSheet, WithoutShiftedRowsTheRunMayGoOnOnceTheFacesAreChecked)
{
    const AssignmentPlan plan = Plan();
    TProofSheet sheet(plan);
    sheet.TakeFaceChecks(Survey(20));
    EXPECT_TRUE(Controls(sheet).shiftCheckedBox->isHidden());
    EXPECT_TRUE(Controls(sheet).approveButton->isEnabled());
    EXPECT_FALSE(Controls(sheet).summaryLabel->text().contains(QStringLiteral("错位")));
}

} // namespace
