// The rules of the face checks: what each warns of, and the close cases that
// must not warn. The photos' own measures are made; the faces compared are
// real: the descriptors of the labelled faces (tests/data/faces).
#include "assignment/checks/FaceChecks.h"

#include "LabelledFaces.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/RepeatedFaces.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const LabelledSet& Set()
{
    static const LabelledSet set = [] {
        FaceDetector detector;
        FaceDescriber describer;
        return DescribeLabelledSet(detector, describer);
    }();
    return set;
}

// Photo `photo` (0 to 3) of labelled person `person` (0 to 39).
RowFace FaceOf(std::size_t person, std::size_t photo)
{
    return Set().faces.at(person).at(photo);
}

SurveyedPhoto Portrait(RowFace face)
{
    SurveyedPhoto look;
    look.read = true;
    look.portrait.faces = face ? 1 : 0;
    look.portrait.faceHeight = 300;
    look.portrait.darkShare = 0.05;
    look.portrait.brightShare = 0.02;
    look.portrait.sharpness = 100;
    look.portrait.descriptor = face;
    return look;
}

// A class of `rows` students, student i the labelled person i. Each new
// photo is photo 1 of its row's student, each student's current photo in the
// site photo 0 (none unless `current`).
struct Batch {
    AssignmentPlan plan;
    FaceSurvey survey;

    explicit Batch(int rows, bool current = false)
    {
        for (int i = 0; i < rows; ++i) {
            PlanRow row;
            row.line = i + 1;
            row.code = QStringLiteral("S%1").arg(i + 1);
            row.photo.kind = PhotoFacts::Kind::Jpeg;
            plan.rows << row;
            survey.newPhotos.push_back(Portrait(FaceOf(static_cast<std::size_t>(i), 1)));
            survey.currentPhotos.push_back(current ? Portrait(FaceOf(static_cast<std::size_t>(i), 0))
                                                   : SurveyedPhoto{});
        }
    }
    // Row `line`'s new photo is the student of line `studentLine`'s.
    void GiveNewPhotoOf(int line, int studentLine)
    {
        survey.newPhotos[line - 1] = Portrait(FaceOf(static_cast<std::size_t>(studentLine - 1), 1));
    }
    PlanWarnings Warnings(int line) const { return plan.rows[line - 1].warnings; }
    QString Texts(int line) const { return ViewOfPlanRow(plan.rows[line - 1]).warnings.join(u'；'); }
};

TEST(FaceChecks, EachFaceFaultWarnsWithItsParticularsAndTheCloseCasesDoNot)
{
    Batch batch(12);
    auto& photos = batch.survey.newPhotos;
    photos[0] = Portrait(std::nullopt);
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
    // The labelled person whose two photos are nearest: one photo taken
    // again a moment later, as a retake is.
    std::size_t person = 0;
    std::pair<std::size_t, std::size_t> photos{0, 1};
    double nearest = 10;
    for (std::size_t p = 0; p < kLabelledPeople; ++p) {
        for (std::size_t a = 0; a < kPhotosPerPerson; ++a) {
            for (std::size_t b = a + 1; b < kPhotosPerPerson; ++b) {
                if (FaceOf(p, a) && FaceOf(p, b) && DescriptorDistance(*FaceOf(p, a), *FaceOf(p, b)) < nearest) {
                    nearest = DescriptorDistance(*FaceOf(p, a), *FaceOf(p, b));
                    person = p;
                    photos = {a, b};
                }
            }
        }
    }
    ASSERT_LT(nearest, kRetakeDistance);

    Batch batch(10);
    // Row 5 shows row 4's student again; rows 7 and 8 are one file twice.
    batch.survey.newPhotos[3] = Portrait(FaceOf(person, photos.first));
    batch.survey.newPhotos[4] = Portrait(FaceOf(person, photos.second));
    batch.survey.newPhotos[7] = batch.survey.newPhotos[6];
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

// The rows marked as in a shifted block; each mark must say `text`.
QList<int> ShiftedLines(const Batch& batch, const QString& text)
{
    QList<int> lines;
    for (int line = 1; line <= batch.plan.rows.size(); ++line) {
        if (batch.Warnings(line).testFlag(PlanWarning::ShiftedBlock)) {
            lines << line;
            EXPECT_EQ(batch.Texts(line), text) << line;
        }
    }
    return lines;
}

const QString kLikeBelow = QStringLiteral("可能与学籍号整体错位（新照片更像下一行学生现有的照片）");
const QString kLikeAbove = QStringLiteral("可能与学籍号整体错位（新照片更像上一行学生现有的照片）");

TEST(FaceChecks, ABlockOfRowsShowingTheirNeighboursIsOneNoticeAndAMarkOnEachRow)
{
    // Every student has a photo in the site. From row 9 on, each new photo
    // is of the next student: the photo of student 8 was left out.
    Batch shifted(20, true);
    for (int line = 9; line <= 19; ++line)
        shifted.GiveNewPhotoOf(line, line + 1);
    shifted.survey.newPhotos[19] = Portrait(FaceOf(30, 1)); // someone not in the class
    const QStringList shifts = ApplyFaceChecks(shifted.plan, shifted.survey);
    EXPECT_EQ(shifts, shifted.plan.notices);
    EXPECT_EQ(shifts, QStringList{QStringLiteral(
                          "第 9–19 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对")});
    QList<int> block;
    for (int line = 9; line <= 19; ++line)
        block << line;
    EXPECT_EQ(ShiftedLines(shifted, kLikeBelow), block);
    EXPECT_EQ(shifted.plan.Count(PlanWarning::OtherStudentsFace), 0); // the block says it already

    // An extra photo at row 4 moves the rest down: they show the row above's.
    Batch extra(12, true);
    extra.survey.newPhotos[3] = Portrait(FaceOf(35, 1));
    for (int line = 5; line <= 12; ++line)
        extra.GiveNewPhotoOf(line, line - 1);
    EXPECT_EQ(
        ApplyFaceChecks(extra.plan, extra.survey),
        QStringList{QStringLiteral("第 5–12 行的照片可能整体错位一行（新照片更像上一行学生现有的照片），请逐一核对")});
    EXPECT_EQ(ShiftedLines(extra, kLikeAbove), (QList<int>{5, 6, 7, 8, 9, 10, 11, 12}));

    // Three rows shifted in a class of 30.
    Batch three(30, true);
    for (int line = 14; line <= 16; ++line)
        three.GiveNewPhotoOf(line, line + 1);
    EXPECT_EQ(
        ApplyFaceChecks(three.plan, three.survey),
        QStringList{QStringLiteral("第 14–16 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对")});
    EXPECT_EQ(ShiftedLines(three, kLikeBelow), (QList<int>{14, 15, 16}));

    // Five students, the first photo left out: shifts are told from a few
    // students up.
    Batch five(5, true);
    for (int line = 1; line <= 4; ++line)
        five.GiveNewPhotoOf(line, line + 1);
    five.survey.newPhotos[4] = Portrait(FaceOf(36, 1));
    EXPECT_EQ(
        ApplyFaceChecks(five.plan, five.survey),
        QStringList{QStringLiteral("第 1–4 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对")});
    EXPECT_EQ(ShiftedLines(five, kLikeBelow), (QList<int>{1, 2, 3, 4}));
}

TEST(FaceChecks, ClassesInOrderAreLeftAlone)
{
    for (const int rows : {3, 5, 20, 40}) {
        SCOPED_TRACE(rows);
        Batch inOrder(rows, true);
        EXPECT_TRUE(ApplyFaceChecks(inOrder.plan, inOrder.survey).isEmpty());
        EXPECT_FALSE(inOrder.plan.HasWarnings()) << PlanSummary(inOrder.plan).toStdString();
    }
}

TEST(FaceChecks, APhotoOfAnotherStudentNamesThatStudentsLine)
{
    // Students 4 and 15 swapped: no block, but each row shows the other's face.
    Batch swapped(20, true);
    swapped.GiveNewPhotoOf(4, 15);
    swapped.GiveNewPhotoOf(15, 4);
    // Row 17's student has no photo in the site: nothing tells that its new
    // photo is not its own student's.
    swapped.survey.currentPhotos[16] = {};
    swapped.GiveNewPhotoOf(17, 6);
    EXPECT_TRUE(ApplyFaceChecks(swapped.plan, swapped.survey).isEmpty());
    for (int line = 1; line <= 20; ++line) {
        SCOPED_TRACE(line);
        if (line == 4)
            EXPECT_EQ(swapped.Texts(line), QStringLiteral("像另一名学生现有照片中的人（第 15 行）"));
        else if (line == 15)
            EXPECT_EQ(swapped.Texts(line), QStringLiteral("像另一名学生现有照片中的人（第 4 行）"));
        else
            EXPECT_EQ(swapped.Warnings(line), PlanWarnings());
    }
}

TEST(FaceChecks, WithoutTheDescriberTheRowsAreNotComparedAndTheReasonIsANotice)
{
    Batch batch(5, true);
    for (int line = 1; line <= 4; ++line)
        batch.GiveNewPhotoOf(line, line + 1);
    batch.survey.newPhotos[1].portrait.faces = 0;
    batch.survey.notCompared = QStringLiteral("人脸特征模型无法载入：/x.json");
    EXPECT_TRUE(ApplyFaceChecks(batch.plan, batch.survey).isEmpty());
    EXPECT_EQ(
        batch.plan.notices,
        QStringList{QStringLiteral("没有比较照片中的人脸（错位、重拍、别的学生的脸）：人脸特征模型无法载入：/x.json")});
    // The checks of each photo alone still speak.
    EXPECT_EQ(batch.Texts(2), QStringLiteral("照片中找不到人脸"));
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
