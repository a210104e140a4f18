// The input checks of the assignment run: they stop it before the site or the
// database is touched, so no database is needed here.
#include "assignment/input/CodeFolding.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "platform/database/TADOQuery.h"
#include "support/MessageTexts.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace MessageTexts;

namespace {

TEST(AssignmentChecks, EachCheckStopsTheRunWithItsMessageInOrder)
{
    // Each row breaks one more thing than the check it names needs, to show
    // that check comes first.
    const struct {
        const char* name;
        std::function<void(AssignmentInput&)> change;
        QString message;
    } refusals[] = {
        {"folder not chosen wins",
         [](AssignmentInput& in) { in.installationFolder.reset(), in.photoFolder.clear(), in.codes << "3"; },
         kFolderNotChosen},
        {"no photos before the counts", [](AssignmentInput& in) { in.photoFolder.clear(), in.codes << "../3"; },
         kNoPhotos},
        {"counts before the codes, both counted", [](AssignmentInput& in) { in.codes << "../3"; },
         kCountsDiffer + "\n学生 4 名，图片 3 张"},
        {"fewer photos", [](AssignmentInput& in) { in.photoNames.removeLast(); },
         kCountsDiffer + "\n学生 3 名，图片 2 张"},
        {"unsafe code before repeats",
         [](AssignmentInput& in) {
             in.codes = QStringList{"1", "a/b", "1"};
         },
         QStringLiteral("第 2 行的学籍号“a/b”不能用作图片文件名（不能含有 / \\ < > : \" | ? * "
                        "或控制字符，也不能是 . 或 ..），请改正学籍号文件后重试！")},
        // The database and Windows take "ab" and "AB " for one student and one file.
        {"a code twice, named with its lines",
         [](AssignmentInput& in) {
             in.codes = QStringList{"ab", "x", "AB "};
         },
         QStringLiteral("学籍号重复，一名学生只能对应一张照片：\n“ab”在第 1、3 行\n没有设置任何学生，请改正后重试！")},
        {"a photo twice, and a code twice",
         [](AssignmentInput& in) {
             in.codes = QStringList{"1", "2", "1"};
             in.photoNames = QStringList{"a.jpg", "A.JPG", "c.jpg"};
         },
         QStringLiteral("学籍号重复，一名学生只能对应一张照片：\n“1”在第 1、3 行\n"
                        "同一张图片出现了两次以上，照片和学籍号会错位：\n“a.jpg”在第 1、2 张\n"
                        "没有设置任何学生，请改正后重试！")},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        AssignmentInput input{
            "/nonexistent-site/", "/nonexistent-photos/", {"1", "2", "3"}, {"1.jpg", "2.jpg", "3.jpg"}};
        refusal.change(input);
        // A driver that does not exist: any attempt to connect would show
        // as a failure instead of a refusal.
        TADOQuery query(QStringLiteral("no such driver"));
        const PlanOutcome planned = MakeAssignmentPlan(input, query);
        EXPECT_FALSE(planned.plan.has_value());
        EXPECT_EQ(planned.stopped.result, AssignmentOutcome::Result::Refused);
        EXPECT_EQ(planned.stopped.message, refusal.message);
        EXPECT_TRUE(planned.stopped.statusText.isEmpty());
        EXPECT_TRUE(query.ConnectionString().isEmpty());
    }
}

TEST(AssignmentChecks, TheFirstUnsafeCodeIsNamedAsItCanBeRead)
{
    // Every unsafe character is tried on IsPlainFileName alone; here how the
    // first such code is named, a control character written out.
    for (const auto& [code, shown] : {std::pair<QString, QString>{"../escape", "../escape"},
                                      {"..", ".."},
                                      {"what?", "what?"},
                                      {"tab\there", "tab\\x09here"}}) {
        TADOQuery query(QStringLiteral("no such driver"));
        const QString message =
            MakeAssignmentPlan(
                {"/site/", "/photos/", {"ok1", "ok2", code, "../../later"}, {"1.jpg", "2.jpg", "3.jpg", "4.jpg"}},
                query)
                .stopped.message;
        EXPECT_TRUE(message.contains(QStringLiteral("第 3 行的学籍号“%1”").arg(shown))) << message.toStdString();
        EXPECT_FALSE(message.contains("later")) << message.toStdString();
    }
}

TEST(AssignmentChecks, CodesTheDatabaseWouldFoldTogetherAreRepeats)
{
    // SQL Server's usual Chinese collations ignore case and width: each pair updates one row.
    const struct {
        QString second;
        QString shown;
    } cases[] = {
        {QStringLiteral("２０２３０００００１"), QStringLiteral("２０２３０００００１")},
        {QStringLiteral("2023000001\u3000"), QStringLiteral("2023000001[U+3000]")},
        {QStringLiteral("2023000001\u00A0"), QStringLiteral("2023000001[U+A0]")},
        {QStringLiteral(" 2023000001"), QStringLiteral(" 2023000001")},
        {QStringLiteral("2023000001 "), QStringLiteral("2023000001 ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        TADOQuery query(QStringLiteral("no such driver"));
        const AssignmentOutcome stopped =
            MakeAssignmentPlan({"/site/", "/photos/", {"2023000001", "x", c.second}, {"1.jpg", "2.jpg", "3.jpg"}},
                               query)
                .stopped;
        EXPECT_EQ(stopped.result, AssignmentOutcome::Result::Refused);
        EXPECT_TRUE(stopped.message.contains(QStringLiteral("“2023000001”在第 1、3 行")))
            << stopped.message.toStdString();
    }
    // One accented letter in its two Unicode forms.
    TADOQuery query(QStringLiteral("no such driver"));
    const AssignmentOutcome stopped =
        MakeAssignmentPlan(
            {"/site/", "/photos/", {QStringLiteral("Zo\u00EB"), QStringLiteral("zoe\u0308")}, {"1.jpg", "2.jpg"}},
            query)
            .stopped;
    EXPECT_TRUE(stopped.message.contains(QStringLiteral("在第 1、2 行"))) << stopped.message.toStdString();
    EXPECT_TRUE(CodeNeedsFolding(QStringLiteral("２０２３")));
    EXPECT_TRUE(CodeNeedsFolding(QStringLiteral("2023\u3000")));
    EXPECT_FALSE(CodeNeedsFolding(QStringLiteral("AbC 1")));
    EXPECT_FALSE(CodeNeedsFolding(QStringLiteral("学籍号甲")));
}

// Linux holds "A123X.jpg" and "a123x.jpg" apart: two photos, not one listed
// twice. By name both belong to code A123X, which is refused as two photos
// for one code, naming both; by position they are two students' photos.
TEST(AssignmentChecks, TwoFilesWhoseNamesDifferOnlyInLetterCaseAreTwoPhotos)
{
    QTemporaryDir photos;
    WriteFile(photos.filePath("A123X.jpg"), ReadFile(TestDataPath("jpeg/photos/obama.jpg")));
    WriteFile(photos.filePath("a123x.jpg"), ReadFile(TestDataPath("jpeg/photos/concert.jpg")));
    if (QDir(photos.path()).entryList(QDir::Files).size() != 2)
        GTEST_SKIP() << "the file system takes names differing in letter case for one file";
    const QString folder = photos.path() + '/';
    TADOQuery query(QStringLiteral("no such driver"));

    AssignmentInput byName{"/nonexistent-site/", folder, {"A123X", "B1"}, {"A123X.jpg", "a123x.jpg"}};
    byName.pairing = PairingMode::FileName;
    const AssignmentOutcome refused = MakeAssignmentPlan(byName, query).stopped;
    EXPECT_EQ(refused.result, AssignmentOutcome::Result::Refused);
    EXPECT_EQ(refused.message, QStringLiteral("一名学生只能对应一张照片，这些学籍号找到了两张以上：\n"
                                              "第 1 行的学籍号“A123X”：“A123X.jpg”、“a123x.jpg”"
                                              "（文件名只差大小写，是不同的文件）\n"
                                              "没有设置任何学生，请改正后重试！"));

    // By position the checks let them through: the plan goes on to the site.
    const AssignmentOutcome planned =
        MakeAssignmentPlan({"/nonexistent-site/", folder, {"A123X", "B1"}, {"A123X.jpg", "a123x.jpg"}}, query).stopped;
    EXPECT_EQ(planned.result, AssignmentOutcome::Result::Failed) << planned.message.toStdString();
    EXPECT_TRUE(planned.message.contains(QStringLiteral("网站的照片文件夹不存在"))) << planned.message.toStdString();

    // One file listed twice is still refused, however it is spelt.
    const AssignmentOutcome twice =
        MakeAssignmentPlan({"/nonexistent-site/", folder, {"A123X", "B1"}, {"a123x.jpg", "a123x.jpg"}}, query).stopped;
    EXPECT_TRUE(twice.message.contains(
        QStringLiteral("同一张图片出现了两次以上，照片和学籍号会错位：\n“a123x.jpg”在第 1、2 张")))
        << twice.message.toStdString();
}

TEST(AssignmentChecks, ManyRepeatsAreCutInTheMessageAndListedInTheDetails)
{
    AssignmentInput input{"/site/", "/photos/", {}, {}};
    for (int i = 0; i < 12; ++i)
        input.codes << QString::number(i) << QString::number(i);
    for (int i = 0; i < 24; ++i)
        input.photoNames << QStringLiteral("%1.jpg").arg(i);
    TADOQuery query(QStringLiteral("no such driver"));
    const AssignmentOutcome stopped = MakeAssignmentPlan(input, query).stopped;
    EXPECT_TRUE(stopped.message.contains(QStringLiteral("“9”在第 19、20 行\n等 12 处")))
        << stopped.message.toStdString();
    EXPECT_FALSE(stopped.message.contains(QStringLiteral("“10”")));
    EXPECT_TRUE(stopped.details.endsWith(QStringLiteral("“11”在第 23、24 行"))) << stopped.details.toStdString();
}

TEST(AssignmentChecks, EmptyInstallationFolderIsNotRefused)
{
    // An empty folder text is a chosen folder (an empty remembered value);
    // the plan goes on and fails on the missing photo folder instead.
    AssignmentInput input;
    input.installationFolder = QString();
    input.photoFolder = QStringLiteral("/photos/");
    TADOQuery query(QStringLiteral("no such driver"));
    const AssignmentOutcome stopped = MakeAssignmentPlan(input, query).stopped;
    EXPECT_EQ(stopped.result, AssignmentOutcome::Result::Failed);
    EXPECT_TRUE(stopped.message.startsWith(kFailed + QStringLiteral("\n\n出错原因：网站的照片文件夹不存在")))
        << stopped.message.toStdString();
    EXPECT_EQ(stopped.statusText, kFailedStatus);
}

} // namespace
