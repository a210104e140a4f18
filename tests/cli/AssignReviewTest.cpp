// student-photo-cli assign and its face review, run in the test's own
// process with a made review: rows that look shifted refuse the run unless
// --shift-checked is given, warnings alone do not, and the plan shown and
// run is the plan the review gave back.
#include "cli/Commands.h"
#include "platform/settings/ProgramSettings.h"
#include "support/MadeExamination.h"
#include "support/MessageTexts.h"
#include "support/QtPrinters.h"
#include "support/TestSite.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace MessageTexts;

namespace {

const QString kShift = QStringLiteral("第 2–3 行的照片可能整体错位一行（新照片更像下一行学生现有的照片），请逐一核对");

// What a command wrote, as UTF-8 (on Windows too, where its standard
// streams are files here), in lines ending in LF.
QString Written(const std::string& bytes)
{
    QString text = QString::fromUtf8(bytes);
#ifdef _WIN32
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    return text;
}

struct Said {
    int exitCode = -1;
    QString out;
    QString err;
};

class AssignReview : public ::testing::Test {
protected:
    void SetUp() override
    {
        site.AddStudents({"001", "002", "003"});
        for (const char* name : {"1.jpg", "2.jpg", "3.jpg"})
            site.ScratchPhoto(name);
    }

    Said Assign(const QStringList& more, const FaceExamination& examination)
    {
        QStringList arguments{"--install-dir", site.Folder(),
                              "--roster",      site.WriteScratch("roster.txt", "001\n002\n003\n"),
                              "--photos",      site.Scratch("photos")};
        const ProgramSettings program{.odbcDriver = site.OdbcDriver(),
                                      .dataFolder = site.Scratch("data"),
                                      .faceModel = {},
                                      .settingsFile = {},
                                      .testCamera = {}};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int exitCode = RunAssignCommand(arguments + more, program, [&](int) { return examination; });
        const QString out = Written(testing::internal::GetCapturedStdout());
        const QString err = Written(testing::internal::GetCapturedStderr());
        return {exitCode, out, err};
    }

    TestSite site{Backend::SQLite};
};

TEST_F(AssignReview, RowsThatLookShiftedRefuseTheRunUntilTheyAreSaidToBeChecked)
{
    const FaceExamination shifted = MadeExamination({}, {kShift});
    const auto before = site.State();

    const Said refused = Assign({}, shifted);

    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, QStringLiteral("照片可能与学籍号错位，没有设置任何学生：\n") + kShift + "\n");
    EXPECT_TRUE(refused.err.contains("--shift-checked")) << refused.err.toStdString();
    EXPECT_EQ(site.State(), before);

    const Said checked = Assign({"--shift-checked"}, shifted);

    EXPECT_EQ(checked.exitCode, 0) << checked.out.toStdString() << checked.err.toStdString();
    EXPECT_EQ(checked.out, kDone + "\n");
    EXPECT_EQ(site.Photos().value("003"), QStringLiteral("/upload/StudentPhoto/003.jpg"));
}

TEST_F(AssignReview, WarningsAloneDoNotRefuseTheRun)
{
    const Said said = Assign({}, MadeExamination([](AssignmentPlan& plan) {
                                 plan.rows[0].warnings |= PlanWarning::NoFace;
                                 plan.rows[1].warnings |= PlanWarning::Blurred;
                             }));

    EXPECT_EQ(said.exitCode, 0) << said.out.toStdString() << said.err.toStdString();
    EXPECT_EQ(site.Photos().value("001"), QStringLiteral("/upload/StudentPhoto/001.jpg"));
}

TEST_F(AssignReview, TheDryRunShowsThePlanAsTheReviewGaveItBack)
{
    const auto before = site.State();

    const Said said =
        Assign({"--dry-run"},
               MadeExamination([](AssignmentPlan& plan) { plan.rows[1].warnings |= PlanWarning::NoFace; }, {kShift}));

    EXPECT_EQ(said.exitCode, 3);
    const QStringList lines = said.out.split('\n');
    EXPECT_TRUE(lines.value(2).simplified().startsWith(QStringLiteral("2 002 ")));
    EXPECT_TRUE(lines.value(2).simplified().endsWith(QStringLiteral("照片中找不到人脸")))
        << lines.value(2).toStdString();
    EXPECT_TRUE(said.out.contains(kShift)) << said.out.toStdString();
    // A real run would need --shift-checked: the dry run says so.
    EXPECT_TRUE(said.err.contains("--shift-checked")) << said.err.toStdString();
    EXPECT_EQ(site.State(), before);
}

TEST_F(AssignReview, TheRunCarriesOutThePlanAsTheReviewGaveItBack)
{
    // The review found the second photo's pixels damaged: that student is
    // passed over, for the reason the review gave.
    const Said said = Assign({}, MadeExamination(PhotoFoundDamaged(1)));

    EXPECT_EQ(said.exitCode, 3) << said.out.toStdString();
    EXPECT_EQ(said.err, QStringLiteral("图片未能复制：\n第 2 行 002：图片 2.jpg 无法读取（像素无法解码）\n"));
    EXPECT_EQ(site.Photos(),
              (QMap<QString, QString>{
                  {"001", "/upload/StudentPhoto/001.jpg"}, {"002", ""}, {"003", "/upload/StudentPhoto/003.jpg"}}));
    EXPECT_FALSE(QFile::exists(site.SitePhotoFolder() + "002.jpg"));
}

} // namespace
