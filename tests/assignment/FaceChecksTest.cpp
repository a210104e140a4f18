// The rules of the face checks on made survey results: what each warns of,
// and the close cases that must not warn.
#include "assignment/checks/FaceChecks.h"

#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "support/MadeFaces.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> FaceOf(int person, int photo)
{
    return MadeFaceCrop(person, photo);
}

SurveyedPhoto Portrait(std::vector<std::uint8_t> crop = FaceOf(0, 0))
{
    SurveyedPhoto look;
    look.read = true;
    look.portrait.faces = 1;
    look.portrait.faceHeight = 300;
    look.portrait.darkShare = 0.05;
    look.portrait.brightShare = 0.02;
    look.portrait.sharpness = 100;
    look.portrait.faceCrop = std::move(crop);
    return look;
}

struct Batch {
    AssignmentPlan plan;
    FaceSurvey survey;

    explicit Batch(int rows)
    {
        for (int i = 0; i < rows; ++i) {
            PlanRow row;
            row.line = i + 1;
            row.code = QStringLiteral("S%1").arg(i + 1);
            row.photo.kind = PhotoFacts::Kind::Jpeg;
            plan.rows << row;
            survey.newPhotos.push_back(Portrait(FaceOf(i, 1)));
            survey.currentPhotos.push_back({});
        }
    }
    PlanWarnings Warnings(int line) const { return plan.rows[line - 1].warnings; }
    QString Texts(int line) const { return ViewOfPlanRow(plan.rows[line - 1]).warnings.join(u'；'); }
};

TEST(FaceChecks, EachFaceFaultWarnsWithItsParticularsAndTheCloseCasesDoNot)
{
    Batch batch(12);
    auto& photos = batch.survey.newPhotos;
    photos[0].portrait.faces = 0;
    photos[0].portrait.faceCrop.clear();
    photos[1].portrait.faces = 2;
    photos[2].portrait.turn = FaceTurn::Right;
    photos[3].portrait.turn = FaceTurn::Half;
    photos[4].portrait.faceHeight = 31.6;
    photos[5].portrait.faceHeight = 46; // a 120 x 180 portrait's face
    photos[6].portrait.darkShare = 0.72;
    photos[7].portrait.darkShare = 0.45; // dark hair and shadows
    photos[8].portrait.brightShare = 0.55;
    photos[9].portrait.sharpness = 21;
    photos[10].portrait.sharpness = 45; // softer than most, not blurred
    photos[11].read = false;            // unreadable: warned of by the plan, not here
    photos[11].portrait.faces = 0;
    EXPECT_TRUE(ApplyFaceChecks(batch.plan, batch.survey).isEmpty());

    EXPECT_EQ(batch.Texts(1), QStringLiteral("照片中找不到人脸"));
    EXPECT_EQ(batch.Texts(2), QStringLiteral("照片中不止一张人脸"));
    EXPECT_EQ(batch.Texts(3), QStringLiteral("照片是横着或倒着的（向右转 90° 后才找到人脸）"));
    EXPECT_EQ(batch.Texts(4), QStringLiteral("照片是横着或倒着的（转 180° 后才找到人脸）"));
    EXPECT_EQ(batch.Texts(5), QStringLiteral("人脸太小，设成 120×180 的照片会不清楚（脸高约 32 像素）"));
    EXPECT_EQ(batch.Warnings(6), PlanWarnings());
    EXPECT_EQ(batch.Texts(7), QStringLiteral("脸部太暗（72% 接近全黑）"));
    EXPECT_EQ(batch.Warnings(8), PlanWarnings());
    EXPECT_EQ(batch.Texts(9), QStringLiteral("脸部过亮（55% 接近全白）"));
    EXPECT_EQ(batch.Texts(10), QStringLiteral("照片模糊（清晰度只有本批照片中位数的 21%）"));
    EXPECT_EQ(batch.Warnings(11), PlanWarnings());
    EXPECT_EQ(batch.Warnings(12), PlanWarnings());
    EXPECT_TRUE(batch.plan.notices.isEmpty());
}

TEST(FaceChecks, BlurIsJudgedAgainstTheBatchAndNeedsABatch)
{
    // All equally soft: none stands out.
    Batch soft(6);
    for (SurveyedPhoto& photo : soft.survey.newPhotos)
        photo.portrait.sharpness = 8;
    ApplyFaceChecks(soft.plan, soft.survey);
    EXPECT_FALSE(soft.plan.HasWarnings());

    // Four photos are too few to know what sharp is.
    Batch few(4);
    few.survey.newPhotos[0].portrait.sharpness = 1;
    ApplyFaceChecks(few.plan, few.survey);
    EXPECT_FALSE(few.plan.HasWarnings());
}

TEST(FaceChecks, ALongPauseBetweenCapturesWarnsOnTheRowAfterIt)
{
    Batch batch(10);
    QDateTime at(QDate(2026, 9, 1), QTime(8, 0));
    const int pauses[] = {20, 25, 18, 200, 22, 45, 19, 21, 20};
    batch.survey.newPhotos[0].captured = at;
    for (int i = 1; i < 10; ++i)
        batch.survey.newPhotos[i].captured = at = at.addSecs(pauses[i - 1]);
    ApplyFaceChecks(batch.plan, batch.survey);
    for (int line = 1; line <= 10; ++line) {
        SCOPED_TRACE(line);
        if (line == 5)
            EXPECT_EQ(batch.Texts(line), QStringLiteral("和上一张照片的拍摄间隔特别长，可能漏拍了学生（间隔 3 分钟）"));
        else // 45 s is twice the usual pause: a slow student, not a missing one
            EXPECT_EQ(batch.Warnings(line), PlanWarnings());
    }

    // Photos without times, or too few, say nothing.
    Batch untimed(10);
    untimed.survey.newPhotos[3].captured = at;
    untimed.survey.newPhotos[4].captured = at.addSecs(3600);
    ApplyFaceChecks(untimed.plan, untimed.survey);
    EXPECT_FALSE(untimed.plan.HasWarnings());
}

TEST(FaceChecks, ANearIdenticalNeighbourIsARetakeUnlessItIsTheSameFile)
{
    Batch batch(10);
    // Row 5 is row 4's photo taken again a moment later: a shade lighter.
    auto again = [](std::vector<std::uint8_t> crop) {
        for (std::uint8_t& level : crop)
            level = static_cast<std::uint8_t>(std::min(255, level + 3));
        return crop;
    };
    batch.survey.newPhotos[4].portrait.faceCrop = again(batch.survey.newPhotos[3].portrait.faceCrop);
    batch.survey.newPhotos[7].portrait.faceCrop = batch.survey.newPhotos[6].portrait.faceCrop;
    batch.plan.rows[6].photo.contentHash = batch.plan.rows[7].photo.contentHash = "same bytes";
    ApplyFaceChecks(batch.plan, batch.survey);
    for (int line = 1; line <= 10; ++line) {
        SCOPED_TRACE(line);
        if (line == 5)
            EXPECT_EQ(batch.Texts(line), QStringLiteral("和上一行的照片几乎一样，可能是重拍时多留了一张"));
        else
            EXPECT_EQ(batch.Warnings(line), PlanWarnings());
    }
}

TEST(FaceChecks, ARunOfRowsMatchingTheirNeighboursPhotosIsOneNotice)
{
    // Every student has a photo in the site. From row 9 on, each new photo
    // is of the next student: the photo of student 8 was left out.
    Batch shifted(20);
    for (int i = 0; i < 20; ++i) {
        shifted.survey.currentPhotos[i] = Portrait(FaceOf(i, 0));
        shifted.survey.newPhotos[i] = Portrait(FaceOf(i < 8 ? i : i + 1, 1));
    }
    const QStringList shifts = ApplyFaceChecks(shifted.plan, shifted.survey);
    EXPECT_EQ(shifts, shifted.plan.notices);
    EXPECT_EQ(shifts, QStringList{QStringLiteral(
                          "第 9–19 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对")});
    EXPECT_TRUE(shifted.plan.HasWarnings());

    // The same students in order: nothing.
    Batch inOrder(20);
    for (int i = 0; i < 20; ++i) {
        inOrder.survey.currentPhotos[i] = Portrait(FaceOf(i, 0));
        inOrder.survey.newPhotos[i] = Portrait(FaceOf(i, 1));
    }
    EXPECT_TRUE(ApplyFaceChecks(inOrder.plan, inOrder.survey).isEmpty());
    EXPECT_FALSE(inOrder.plan.HasWarnings());

    // Two rows swapped are two rows, not a shifted block.
    std::swap(inOrder.survey.newPhotos[5], inOrder.survey.newPhotos[6]);
    EXPECT_TRUE(ApplyFaceChecks(inOrder.plan, inOrder.survey).isEmpty());

    // An extra photo at row 4 moves the rest down: they look like the row above.
    Batch extra(20);
    for (int i = 0; i < 20; ++i) {
        extra.survey.currentPhotos[i] = Portrait(FaceOf(i, 0));
        extra.survey.newPhotos[i] = Portrait(FaceOf(i < 3 ? i : i == 3 ? 99 : i - 1, 1));
    }
    EXPECT_EQ(ApplyFaceChecks(extra.plan, extra.survey).size(), 1);
    EXPECT_EQ(extra.plan.notices.value(0),
              QStringLiteral("第 5–20 行的照片可能整体错位一行（新照片更像上一行学生现有的照片），请逐一核对"));
}

TEST(FaceChecks, WithoutTheDetectorTheReasonIsANotice)
{
    Batch batch(3);
    FaceSurvey none;
    none.unavailable = QStringLiteral("人脸检测模型无法载入：/x.xml");
    EXPECT_TRUE(ApplyFaceChecks(batch.plan, none).isEmpty());
    EXPECT_EQ(batch.plan.notices, QStringList{QStringLiteral("没有检查照片中的人脸：人脸检测模型无法载入：/x.xml")});
}

} // namespace
