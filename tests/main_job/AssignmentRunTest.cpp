// The assignment run against real databases. The same cases run on SQLite
// and on the PostgreSQL test server: SP_TEST_BACKEND names the one.
#include "TestSite.h"

#include "main_window/AssignmentRun.h"
#include "platform/TADOQuery.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>

using namespace AssignmentMessages;
using Result = AssignmentOutcome::Result;

namespace {

const QString kJpeg = QStringLiteral("jpeg/photos/hopper_gray.jpg");
const QString kOtherJpeg = QStringLiteral("jpeg/photos/hopper_orientation_6.jpg");
const QString kBmp = QStringLiteral("bmpsuite/g/rgb24.bmp");

// The photo column as the run should leave it: the assigned codes with their
// web path, the others empty.
QMap<QString, QString> Rows(const QStringList& assigned, const QStringList& untouched = {})
{
    QMap<QString, QString> rows;
    for (const QString& code : assigned)
        rows.insert(code, "/upload/StudentPhoto/" + code + ".jpg");
    for (const QString& code : untouched)
        rows.insert(code, QString());
    return rows;
}

// One test site and one query object per case, as the main window keeps one
// query object for all its runs.
class AssignmentRunTest : public ::testing::TestWithParam<Backend> {
protected:
    // Copies a shared test file into the photo folder; returns its name.
    QString AddPhoto(const QString& name, const QString& testDataFile = kJpeg)
    {
        WriteFile(photoFolder + name, ReadFile(TestDataPath(testDataFile)));
        return name;
    }

    AssignmentOutcome Run(const QStringList& codes, const QStringList& photoNames)
    {
        progress.clear();
        const AssignmentInput input{site->Folder(), photoFolder, codes, photoNames};
        return RunAssignment(input, query, [this](qsizetype done) { progress << done; });
    }

    QByteArray SitePhoto(const QString& code) const { return ReadFile(site->SitePhotoFolder() + code + ".jpg"); }
    QStringList SitePhotos() const
    {
        return QDir(site->SitePhotoFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    std::unique_ptr<TestSite> site = std::make_unique<TestSite>(GetParam());
    TADOQuery query{site->OdbcDriver()};
    // Apart from the site, which some cases replace.
    QTemporaryDir photoDir{QDir::tempPath() + "/sp-photos-XXXXXX"};
    QString photoFolder = photoDir.path() + '/';
    QList<qsizetype> progress;
};

TEST_P(AssignmentRunTest, CopiesEveryPhotoAndWritesEveryRow)
{
    const QStringList codes{"2023001", "学籍号甲", "2023003"};
    site->AddStudents(codes);
    // A BMP photo is kept as it is, and an older photo of the third student is replaced.
    const QStringList photos{AddPhoto("a.jpg"), AddPhoto("张三.bmp", kBmp), AddPhoto("c.jpg", kOtherJpeg)};
    WriteFile(site->SitePhotoFolder() + "2023003.jpg", "an older photo");

    const AssignmentOutcome outcome = Run(codes, photos);

    EXPECT_EQ(outcome.result, Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(outcome.message, kDone);
    EXPECT_EQ(outcome.statusText, kDoneStatus);
    EXPECT_EQ(outcome.studentsDone, 3);
    EXPECT_EQ(progress, (QList<qsizetype>{1, 2, 3}));
    EXPECT_TRUE(outcome.notCopied.isEmpty() && outcome.noRowChanged.isEmpty());
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"2023001", "/upload/StudentPhoto/2023001.jpg"},
                                                      {"学籍号甲", "/upload/StudentPhoto/学籍号甲.jpg"},
                                                      {"2023003", "/upload/StudentPhoto/2023003.jpg"}}));
    EXPECT_EQ(SitePhoto("2023001"), ReadFile(TestDataPath(kJpeg)));
    EXPECT_EQ(SitePhoto("学籍号甲"), ReadFile(TestDataPath(kBmp)));
    EXPECT_EQ(SitePhoto("2023003"), ReadFile(TestDataPath(kOtherJpeg)));
    EXPECT_EQ(SitePhotos().size(), 3);
    EXPECT_FALSE(query.Connected());
}

TEST_P(AssignmentRunTest, SiteThatCannotBeReachedChangesNothing)
{
    const QStringList codes{"1", "2"};
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg")};
    const struct {
        const char* name;
        std::function<void(const TestSite&)> breakSite;
        bool postgresOnly = false;
    } cases[] = {
        {"Web.config missing", [](const TestSite& s) { QFile::remove(s.Folder() + "Web.config"); }},
        {"Web.config not closed",
         [](const TestSite& s) { s.WriteWebConfig("<configuration><appSettings>" + s.ConnectionSettingsText()); }},
        {"Web.config with two roots",
         [](const TestSite& s) { s.WriteWebConfig("<a>" + s.ConnectionSettingsText() + "</a><b/>"); }},
        {"Web.config empty", [](const TestSite& s) { s.WriteWebConfig(""); }},
        // Nothing asks the driver for a database named after whatever follows.
        {"Web.config without a database",
         [](const TestSite& s) { s.WriteWebConfig("<c a=\"server=(local);uid=sa;pwd=p;\" d=\"database=x\"/>"); }},
        {"organization table missing", [](const TestSite& s) { s.Execute("drop table organization"); }},
        {"wrong password",
         [](const TestSite& s) { s.WriteWebConfig("<c a=\"" + s.ConnectionSettingsText("not-the-password") + "\"/>"); },
         true},
        {"no photo folder on the site",
         [](const TestSite& s) { QDir(s.Folder() + "upload/StudentPhoto").removeRecursively(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.postgresOnly && GetParam() != Backend::PostgreSQL)
            continue;
        site = std::make_unique<TestSite>(GetParam());
        site->AddStudents(codes);
        c.breakSite(*site);

        const AssignmentOutcome outcome = Run(codes, photos);

        EXPECT_EQ(outcome.result, Result::Failed);
        EXPECT_EQ(outcome.message, kFailed);
        EXPECT_EQ(outcome.statusText, kFailedStatus);
        EXPECT_FALSE(outcome.failureReason.isEmpty());
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_TRUE(SitePhotos().isEmpty());
        EXPECT_EQ(site->Photos(), Rows({}, codes));
        EXPECT_FALSE(query.Connected());
    }
}

TEST_P(AssignmentRunTest, StatementRefusedMidwayKeepsEarlierStudentsAndTouchesNoLaterOne)
{
    site->AddStudents({"A1", "B2", "C3"});
    site->RejectUpdatesOf("B2");

    const AssignmentOutcome outcome
        = Run({"A1", "B2", "C3"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg")});

    EXPECT_EQ(outcome.result, Result::Failed);
    EXPECT_EQ(outcome.message, kFailed);
    EXPECT_EQ(outcome.statusText, kFailedStatus);
    EXPECT_TRUE(outcome.failureReason.contains("photo of B2 refused")) << outcome.failureReason.toStdString();
    EXPECT_EQ(progress, QList<qsizetype>{1});
    EXPECT_EQ(site->Photos(), Rows({"A1"}, {"B2", "C3"}));
    // The refused student's photo was copied just before its statement.
    EXPECT_EQ(SitePhotos(), (QStringList{"A1.jpg", "B2.jpg"}));
    EXPECT_FALSE(query.Connected());
}

TEST_P(AssignmentRunTest, SecondRunOfOneSessionWorksAsTheFirst)
{
    site->AddStudents({"S1", "S2"});
    const AssignmentOutcome first = Run({"S1"}, {AddPhoto("p.jpg")});
    const AssignmentOutcome second = Run({"S2"}, {AddPhoto("q.bmp", kBmp)});

    EXPECT_EQ(first.result, Result::Completed) << first.failureReason.toStdString();
    EXPECT_EQ(second.result, Result::Completed) << second.failureReason.toStdString();
    EXPECT_EQ(site->Photos(), Rows({"S1", "S2"}));
    EXPECT_EQ(SitePhoto("S2"), ReadFile(TestDataPath(kBmp)));
}

TEST_P(AssignmentRunTest, QuotesInACodeUpdateExactlyThatStudent)
{
    site->AddStudents({"O'Neil", "x' or '1'='1", "bystander", "x"});
    const AssignmentOutcome outcome = Run({"O'Neil", "x' or '1'='1"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")});

    EXPECT_EQ(outcome.result, Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"O'Neil", "/upload/StudentPhoto/O'Neil.jpg"},
                                                      {"x' or '1'='1", "/upload/StudentPhoto/x' or '1'='1.jpg"},
                                                      {"bystander", ""},
                                                      {"x", ""}}));
}

TEST_P(AssignmentRunTest, UnsafeCodeRefusesTheWholeRunBeforeAnythingIsTouched)
{
    // Every unsafe character is tried on IsSafePhotoCode alone; here the run
    // on a real site, and how the first such code is named.
    const std::pair<QString, QString> cases[] = {
        {"../escape", "../escape"}, {"..", ".."}, {"what?", "what?"}, {"tab\there", "tab\\x09here"}};
    site->AddStudents({"ok1", "ok2"});
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg"), AddPhoto("4.jpg")};
    for (const auto& [code, shown] : cases) {
        SCOPED_TRACE(code.toStdString());
        const AssignmentOutcome outcome = Run({"ok1", "ok2", code, "../../later"}, photos);

        EXPECT_EQ(outcome.result, Result::Refused);
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("第 3 行的学籍号“%1”").arg(shown)))
            << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains("later"));
        EXPECT_TRUE(outcome.statusText.isEmpty());
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_TRUE(SitePhotos().isEmpty());
        EXPECT_EQ(site->Photos(), Rows({}, {"ok1", "ok2"}));
    }
    EXPECT_FALSE(QFileInfo::exists(site->Folder() + "upload/escape.jpg"));
}

TEST_P(AssignmentRunTest, PhotosNotCopiedAndCodesWithoutARowAreNamed)
{
    site->AddStudents({"K1", "K2", "K3", "K4"});
    WriteFile(site->SitePhotoFolder() + "K2.jpg", "the photo K2 had before");
    // A destination that cannot be replaced: a folder of that name.
    ASSERT_TRUE(QDir(site->SitePhotoFolder()).mkdir("K4.jpg"));
    // An empty roster line stays a code of its own, with its photo ".jpg".
    const QStringList codes{"K1", "K2", "K3", "K4", "unknown", ""};
    const QStringList photos{AddPhoto("1.jpg"), "missing.jpg", AddPhoto("3.jpg", kBmp), AddPhoto("4.jpg"),
                             AddPhoto("5.jpg"), AddPhoto("6.jpg")};

    const AssignmentOutcome outcome = Run(codes, photos);

    EXPECT_EQ(outcome.result, Result::Completed);
    EXPECT_EQ(outcome.statusText, kDoneStatus);
    EXPECT_EQ(outcome.studentsDone, 6);
    EXPECT_EQ(outcome.notCopied, (QStringList{"K2", "K4"}));
    EXPECT_EQ(outcome.noRowChanged, (QStringList{"unknown", ""}));
    EXPECT_TRUE(outcome.message.startsWith(kDone));
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("以下学生的图片未能复制，数据库中的记录未改动：K2、K4")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(
        QStringLiteral("以下学籍号在数据库中没有对应的学生，图片已复制但没有记录被更新：unknown、（空学籍号）")))
        << outcome.message.toStdString();
    EXPECT_EQ(site->Photos(), Rows({"K1", "K3"}, {"K2", "K4"}));
    EXPECT_EQ(SitePhoto("K2"), QByteArray("the photo K2 had before"));
    // No half-made copy is left behind.
    EXPECT_EQ(SitePhotos(), (QStringList{".jpg", "K1.jpg", "K2.jpg", "K3.jpg", "unknown.jpg"}));
}

TEST_P(AssignmentRunTest, NamedPipesAreNeitherReadNorWritten)
{
    site->AddStudents({"P1", "P2"});
    // A photo swapped for a pipe after the list was made, and a pipe where
    // the copy is made before it takes the photo's name.
    const QString pipe = photoFolder + "pipe.jpg";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(site->SitePhotoFolder() + "P2.jpg.part").constData(), 0600), 0);

    const AssignmentOutcome outcome = Run({"P1", "P2"}, {"pipe.jpg", AddPhoto("2.jpg")});

    EXPECT_EQ(outcome.notCopied, QStringList{"P1"});
    EXPECT_EQ(SitePhoto("P2"), ReadFile(photoFolder + "2.jpg"));
    EXPECT_EQ(site->Photos(), Rows({"P2"}, {"P1"}));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Database, AssignmentRunTest, ::testing::Values(Backend::SP_TEST_BACKEND),
                         [](const auto& info) { return std::string(BackendName(info.param)); });
