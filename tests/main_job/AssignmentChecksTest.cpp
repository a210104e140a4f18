// The input checks of the assignment run: they stop it before the site or the
// database is touched, so no database is needed here.
#include "main_window/AssignmentRun.h"
#include "platform/TADOQuery.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace AssignmentMessages;

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
        {"counts before the codes", [](AssignmentInput& in) { in.codes << "../3"; }, kCountsDiffer},
        {"fewer photos", [](AssignmentInput& in) { in.photoNames.removeLast(); }, kCountsDiffer},
        {"unsafe code", [](AssignmentInput& in) { in.codes[1] = "a/b"; },
         QStringLiteral("第 2 行的学籍号“a/b”不能用作图片文件名（不能含有 / \\ < > : \" | ? * "
                        "或控制字符，也不能是 . 或 ..），请改正学籍号文件后重试！")},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        AssignmentInput input{"/nonexistent-site/", "/nonexistent-photos/", {"1", "2"}, {"1.jpg", "2.jpg"}};
        refusal.change(input);
        // A driver that does not exist: any attempt to connect would show
        // as a failed run instead of a refusal.
        TADOQuery query(QStringLiteral("no such driver"));
        int progressCalls = 0;
        const AssignmentOutcome outcome = RunAssignment(input, query, [&](qsizetype) { ++progressCalls; });
        EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Refused);
        EXPECT_EQ(outcome.message, refusal.message);
        EXPECT_TRUE(outcome.statusText.isEmpty());
        EXPECT_EQ(outcome.studentsDone, 0);
        EXPECT_EQ(progressCalls, 0);
        EXPECT_TRUE(query.ConnectionString().isEmpty());
    }
}

TEST(AssignmentChecks, EmptyInstallationFolderAndEmptyListsAreNotRefused)
{
    // An empty folder text is a chosen folder (an empty remembered value);
    // the run goes on and fails on the missing photo folder instead.
    AssignmentInput input;
    input.installationFolder = QString();
    input.photoFolder = QStringLiteral("/photos/");
    TADOQuery query(QStringLiteral("no such driver"));
    const AssignmentOutcome outcome = RunAssignment(input, query);
    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Failed);
    EXPECT_EQ(outcome.message, kFailed);
    EXPECT_EQ(outcome.statusText, kFailedStatus);
}

TEST(IsSafePhotoCode, RefusesWhatCouldLeaveThePhotoFolderOrFailOnWindows)
{
    for (const QString& code : {QString(), QStringLiteral("2023001"), QStringLiteral("G310101200901010011"),
                                QStringLiteral("O'Neil"), QStringLiteral("张三"), QStringLiteral("a.b"),
                                QStringLiteral("..."), QStringLiteral(" 001 "), QStringLiteral("a-b_c")}) {
        EXPECT_TRUE(IsSafePhotoCode(code)) << code.toStdString();
    }
    for (const QString& code :
         {QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("a\\b"),
          QStringLiteral("/"), QStringLiteral("a:b"), QStringLiteral("a*"), QStringLiteral("a?"),
          QStringLiteral("\"a\""), QStringLiteral("<a>"), QStringLiteral("a|b"), QStringLiteral("a\tb"),
          QStringLiteral("a\x7f"), QString(QChar(0x85)), QString(QChar(0))}) {
        EXPECT_FALSE(IsSafePhotoCode(code)) << code.toStdString();
    }
}

} // namespace
