// The input checks of the assignment run: they stop it before the site or the
// database is touched, so no database is needed here.
#include "main_window/AssignmentRun.h"
#include "platform/TADOQuery.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace AssignmentMessages;

namespace {

// A query object whose driver does not exist: any attempt to connect would
// surface as a failed run instead of a refusal.
struct Refusal {
    const char* name;
    AssignmentInput input;
    QString message;
};

AssignmentInput Valid()
{
    AssignmentInput input;
    input.installationFolder = QStringLiteral("/nonexistent-site/");
    input.photoFolder = QStringLiteral("/nonexistent-photos/");
    input.codes = QStringList{"1", "2"};
    input.photoNames = QStringList{"1.jpg", "2.jpg"};
    return input;
}

TEST(AssignmentChecks, EachCheckStopsTheRunWithItsMessageInOrder)
{
    std::vector<Refusal> refusals;
    {
        AssignmentInput input = Valid();
        input.installationFolder.reset();
        input.photoFolder.clear();
        input.codes << "3";
        refusals.push_back({"folder not chosen wins", input, kFolderNotChosen});
    }
    {
        AssignmentInput input = Valid();
        input.photoFolder.clear();
        input.codes << "../3";
        refusals.push_back({"no photos before the counts", input, kNoPhotos});
    }
    {
        AssignmentInput input = Valid();
        input.codes << "../3";
        refusals.push_back({"counts before the codes", input, kCountsDiffer});
    }
    {
        AssignmentInput input = Valid();
        input.photoNames.removeLast();
        refusals.push_back({"fewer photos", input, kCountsDiffer});
    }
    {
        AssignmentInput input = Valid();
        input.codes[1] = "a/b";
        refusals.push_back({"unsafe code", input,
                            QStringLiteral("第 2 行的学籍号“a/b”不能用作图片文件名（不能含有 / \\ < > : \" | ? * "
                                           "或控制字符，也不能是 . 或 ..），请改正学籍号文件后重试！")});
    }
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        TADOQuery query(QStringLiteral("no such driver"));
        int progressCalls = 0;
        const AssignmentOutcome outcome = RunAssignment(refusal.input, query, [&](qsizetype) { ++progressCalls; });
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

TEST(PhotoWebPath, KeepsForwardSlashes)
{
    EXPECT_EQ(PhotoWebPath("001"), QStringLiteral("/upload/StudentPhoto/001.jpg"));
    EXPECT_EQ(PhotoWebPath(""), QStringLiteral("/upload/StudentPhoto/.jpg"));
}

} // namespace
