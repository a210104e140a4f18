// The assignment run against real databases. The same cases run on SQLite
// (SqliteBackend.cpp) and on the PostgreSQL test server (PgBackend.cpp).
#include "AssignmentRunTest.h"

#include "main_window/AssignmentRun.h"
#include "platform/TADOQuery.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace AssignmentMessages;

namespace {

const QString kJpeg = QStringLiteral("jpeg/photos/hopper_gray.jpg");
const QString kOtherJpeg = QStringLiteral("jpeg/photos/hopper_orientation_6.jpg");
const QString kBmp = QStringLiteral("bmpsuite/g/rgb24.bmp");

} // namespace

void AssignmentRunTest::SetUp()
{
    site = std::make_unique<TestSite>(GetParam());
    query = std::make_unique<TADOQuery>(site->OdbcDriver());
    photoFolder = site->Scratch(QStringLiteral("photos/"));
    ASSERT_TRUE(QDir().mkpath(photoFolder));
}

QString AssignmentRunTest::AddPhoto(const QString& name, const QString& testDataFile)
{
    WriteFile(photoFolder + name, ReadFile(TestDataPath(testDataFile)));
    return name;
}

AssignmentInput AssignmentRunTest::Input(const QStringList& codes, const QStringList& photoNames) const
{
    AssignmentInput input;
    input.installationFolder = site->Folder();
    input.photoFolder = photoFolder;
    input.codes = codes;
    input.photoNames = photoNames;
    return input;
}

AssignmentOutcome AssignmentRunTest::Run(const AssignmentInput& input)
{
    progress.clear();
    return RunAssignment(input, *query, [this](qsizetype done) { progress << done; });
}

QStringList AssignmentRunTest::SitePhotos() const
{
    return QDir(site->SitePhotoFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QMap<QString, QString> AssignmentRunTest::Untouched(const QStringList& codes)
{
    QMap<QString, QString> rows;
    for (const QString& code : codes)
        rows.insert(code, QString());
    return rows;
}

TEST_P(AssignmentRunTest, CopiesEveryPhotoAndWritesEveryRow)
{
    const QStringList codes{QStringLiteral("2023001"), QStringLiteral("2023002"), QStringLiteral("2023003")};
    site->AddStudents(codes);
    const QStringList photos{AddPhoto(QStringLiteral("a.jpg"), kJpeg), AddPhoto(QStringLiteral("b.bmp"), kBmp),
                             AddPhoto(QStringLiteral("c.jpg"), kOtherJpeg)};
    // An older photo of the third student is replaced.
    WriteFile(site->SitePhotoFolder() + QStringLiteral("2023003.jpg"), "an older photo");

    const AssignmentOutcome outcome = Run(Input(codes, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(outcome.message, kDone);
    EXPECT_EQ(outcome.statusText, kDoneStatus);
    EXPECT_EQ(outcome.studentsDone, 3);
    EXPECT_EQ(progress, (QList<qsizetype>{1, 2, 3}));
    EXPECT_TRUE(outcome.notCopied.isEmpty());
    EXPECT_TRUE(outcome.noRowChanged.isEmpty());
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{codes[0], QStringLiteral("/upload/StudentPhoto/2023001.jpg")},
                                                      {codes[1], QStringLiteral("/upload/StudentPhoto/2023002.jpg")},
                                                      {codes[2], QStringLiteral("/upload/StudentPhoto/2023003.jpg")}}));
    // Byte for byte, the BMP photo kept as it is under its ".jpg" name.
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + QStringLiteral("2023001.jpg")), ReadFile(TestDataPath(kJpeg)));
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + QStringLiteral("2023002.jpg")), ReadFile(TestDataPath(kBmp)));
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + QStringLiteral("2023003.jpg")), ReadFile(TestDataPath(kOtherJpeg)));
    EXPECT_EQ(SitePhotos(), (QStringList{"2023001.jpg", "2023002.jpg", "2023003.jpg"}));
    EXPECT_FALSE(query->Connected());
}

TEST_P(AssignmentRunTest, SiteThatCannotBeReachedChangesNothing)
{
    const QStringList codes{QStringLiteral("1"), QStringLiteral("2")};
    site->AddStudents(codes);
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), AddPhoto(QStringLiteral("2.jpg"), kJpeg)};

    struct Case {
        const char* name;
        std::function<void(const TestSite&)> breakSite;
        bool postgresOnly;
    };
    const Case cases[] = {
        {"Web.config missing", [](const TestSite& s) { QFile::remove(s.Folder() + "Web.config"); }, false},
        {"Web.config not closed",
         [](const TestSite& s) { s.WriteWebConfig("<configuration><appSettings>" + s.ConnectionSettingsText()); },
         false},
        {"Web.config with two roots",
         [](const TestSite& s) { s.WriteWebConfig("<a>" + s.ConnectionSettingsText() + "</a><b/>"); }, false},
        {"Web.config empty", [](const TestSite& s) { s.WriteWebConfig(""); }, false},
        {"organization table missing", [](const TestSite& s) { s.Execute("drop table organization"); }, false},
        {"wrong password",
         [](const TestSite& s) {
             s.WriteWebConfig("<c a=\"" + s.ConnectionSettingsText("not-the-password") + "\"/>");
         },
         true},
        {"no photo folder on the site",
         [](const TestSite& s) { QDir(s.Folder() + "upload/StudentPhoto").removeRecursively(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.postgresOnly && site->Kind() != Backend::PostgreSQL)
            continue;
        site = std::make_unique<TestSite>(GetParam());
        site->AddStudents(codes);
        c.breakSite(*site);

        const AssignmentOutcome outcome = Run(Input(codes, photos));

        EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Failed);
        EXPECT_EQ(outcome.message, kFailed);
        EXPECT_EQ(outcome.statusText, kFailedStatus);
        EXPECT_FALSE(outcome.failureReason.isEmpty());
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_TRUE(SitePhotos().isEmpty());
        EXPECT_EQ(site->Photos(), Untouched(codes));
        EXPECT_FALSE(query->Connected());
    }
}

TEST_P(AssignmentRunTest, StatementRefusedMidwayKeepsEarlierStudentsAndTouchesNoLaterOne)
{
    const QStringList codes{QStringLiteral("A1"), QStringLiteral("B2"), QStringLiteral("C3")};
    site->AddStudents(codes);
    site->RejectUpdatesOf(QStringLiteral("B2"));
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), AddPhoto(QStringLiteral("2.jpg"), kJpeg),
                             AddPhoto(QStringLiteral("3.jpg"), kJpeg)};

    const AssignmentOutcome outcome = Run(Input(codes, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Failed);
    EXPECT_EQ(outcome.message, kFailed);
    EXPECT_EQ(outcome.statusText, kFailedStatus);
    EXPECT_TRUE(outcome.failureReason.contains(QStringLiteral("photo of B2 refused")))
        << outcome.failureReason.toStdString();
    EXPECT_EQ(outcome.studentsDone, 1);
    EXPECT_EQ(progress, QList<qsizetype>{1});
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"A1", "/upload/StudentPhoto/A1.jpg"}, {"B2", ""}, {"C3", ""}}));
    // The refused student's photo was copied just before its statement.
    EXPECT_EQ(SitePhotos(), (QStringList{"A1.jpg", "B2.jpg"}));
    EXPECT_FALSE(query->Connected());
}

TEST_P(AssignmentRunTest, SecondRunOfOneSessionWorksAsTheFirst)
{
    site->AddStudents({QStringLiteral("S1"), QStringLiteral("S2")});
    AddPhoto(QStringLiteral("p.jpg"), kJpeg);
    AddPhoto(QStringLiteral("q.bmp"), kBmp);

    const AssignmentOutcome first = Run(Input({QStringLiteral("S1")}, {QStringLiteral("p.jpg")}));
    const AssignmentOutcome second = Run(Input({QStringLiteral("S2")}, {QStringLiteral("q.bmp")}));

    EXPECT_EQ(first.result, AssignmentOutcome::Result::Completed) << first.failureReason.toStdString();
    EXPECT_EQ(second.result, AssignmentOutcome::Result::Completed) << second.failureReason.toStdString();
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"S1", "/upload/StudentPhoto/S1.jpg"},
                                                      {"S2", "/upload/StudentPhoto/S2.jpg"}}));
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + "S2.jpg"), ReadFile(TestDataPath(kBmp)));
}

TEST_P(AssignmentRunTest, QuotesInACodeUpdateExactlyThatStudent)
{
    const QString quoted = QStringLiteral("O'Neil");
    const QString injection = QStringLiteral("x' or '1'='1");
    site->AddStudents({quoted, injection, QStringLiteral("bystander"), QStringLiteral("x")});
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), AddPhoto(QStringLiteral("2.jpg"), kJpeg)};

    const AssignmentOutcome outcome = Run(Input({quoted, injection}, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{quoted, "/upload/StudentPhoto/O'Neil.jpg"},
                                                      {injection, "/upload/StudentPhoto/x' or '1'='1.jpg"},
                                                      {"bystander", ""},
                                                      {"x", ""}}));
}

TEST_P(AssignmentRunTest, UnsafeCodeRefusesTheWholeRunBeforeAnythingIsTouched)
{
    struct Case {
        QString code;
        QString shown;
    };
    const Case cases[] = {
        {QStringLiteral("../escape"), QStringLiteral("../escape")},
        {QStringLiteral("a\\b"), QStringLiteral("a\\b")},
        {QStringLiteral(".."), QStringLiteral("..")},
        {QStringLiteral("."), QStringLiteral(".")},
        {QStringLiteral("C:x"), QStringLiteral("C:x")},
        {QStringLiteral("what?"), QStringLiteral("what?")},
        {QStringLiteral("a*"), QStringLiteral("a*")},
        {QStringLiteral("<b>"), QStringLiteral("<b>")},
        {QStringLiteral("a|b"), QStringLiteral("a|b")},
        {QStringLiteral("say\"hi\""), QStringLiteral("say\"hi\"")},
        {QStringLiteral("tab\there"), QStringLiteral("tab\\x09here")},
    };
    site->AddStudents({QStringLiteral("ok1"), QStringLiteral("ok2")});
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), AddPhoto(QStringLiteral("2.jpg"), kJpeg),
                             AddPhoto(QStringLiteral("3.jpg"), kJpeg), AddPhoto(QStringLiteral("4.jpg"), kJpeg)};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        // The first unsafe code is named with its line; a later one is not.
        const AssignmentOutcome outcome
            = Run(Input({QStringLiteral("ok1"), QStringLiteral("ok2"), c.code, QStringLiteral("../../later")}, photos));

        EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Refused);
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("第 3 行的学籍号“%1”").arg(c.shown)))
            << outcome.message.toStdString();
        EXPECT_FALSE(outcome.message.contains(QStringLiteral("later")));
        EXPECT_TRUE(outcome.statusText.isEmpty());
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_TRUE(SitePhotos().isEmpty());
        EXPECT_EQ(site->Photos(), Untouched({"ok1", "ok2"}));
    }
    EXPECT_FALSE(QFileInfo::exists(site->Folder() + "upload/escape.jpg"));
}

TEST_P(AssignmentRunTest, PhotoThatCannotBeCopiedLeavesItsRowAndIsNamed)
{
    const QStringList codes{QStringLiteral("K1"), QStringLiteral("K2"), QStringLiteral("K3"), QStringLiteral("K4")};
    site->AddStudents(codes);
    WriteFile(site->SitePhotoFolder() + "K2.jpg", "the photo K2 had before");
    // A destination that cannot be replaced: a folder of that name.
    ASSERT_TRUE(QDir(site->SitePhotoFolder()).mkdir("K4.jpg"));
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), QStringLiteral("missing.jpg"),
                             AddPhoto(QStringLiteral("3.jpg"), kBmp), AddPhoto(QStringLiteral("4.jpg"), kJpeg)};

    const AssignmentOutcome outcome = Run(Input(codes, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Completed);
    EXPECT_EQ(outcome.statusText, kDoneStatus);
    EXPECT_EQ(outcome.notCopied, (QStringList{"K2", "K4"}));
    EXPECT_TRUE(outcome.message.startsWith(kDone));
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("以下学生的图片未能复制，数据库中的记录未改动：K2、K4")))
        << outcome.message.toStdString();
    EXPECT_EQ(outcome.studentsDone, 4);
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"K1", "/upload/StudentPhoto/K1.jpg"},
                                                      {"K2", ""},
                                                      {"K3", "/upload/StudentPhoto/K3.jpg"},
                                                      {"K4", ""}}));
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + "K2.jpg"), QByteArray("the photo K2 had before"));
    // No half-made copy is left behind.
    EXPECT_EQ(SitePhotos(), (QStringList{"K1.jpg", "K2.jpg", "K3.jpg"}));
}

TEST_P(AssignmentRunTest, CodesThatMatchNoRowAreNamed)
{
    site->AddStudents({QStringLiteral("known")});
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), AddPhoto(QStringLiteral("2.jpg"), kJpeg),
                             AddPhoto(QStringLiteral("3.jpg"), kJpeg)};

    // An empty roster line stays a code of its own, with its photo ".jpg".
    const AssignmentOutcome outcome
        = Run(Input({QStringLiteral("known"), QStringLiteral("unknown"), QString()}, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(outcome.noRowChanged, (QStringList{"unknown", ""}));
    EXPECT_TRUE(outcome.message.contains(
        QStringLiteral("以下学籍号在数据库中没有对应的学生，图片已复制但没有记录被更新：unknown、（空学籍号）")))
        << outcome.message.toStdString();
    EXPECT_EQ(SitePhotos(), (QStringList{".jpg", "known.jpg", "unknown.jpg"}));
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"known", "/upload/StudentPhoto/known.jpg"}}));
}

TEST_P(AssignmentRunTest, SameCodeTwiceKeepsTheLaterPhoto)
{
    site->AddStudents({QStringLiteral("twice")});
    const QStringList photos{AddPhoto(QStringLiteral("1.jpg"), kJpeg), AddPhoto(QStringLiteral("2.bmp"), kBmp)};

    const AssignmentOutcome outcome = Run(Input({QStringLiteral("twice"), QStringLiteral("twice")}, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + "twice.jpg"), ReadFile(TestDataPath(kBmp)));
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"twice", "/upload/StudentPhoto/twice.jpg"}}));
}

TEST_P(AssignmentRunTest, ChineseCodesAndPhotoNames)
{
    const QString code = QStringLiteral("学籍号甲");
    site->AddStudents({code});
    const QStringList photos{AddPhoto(QStringLiteral("张三.jpg"), kJpeg)};

    const AssignmentOutcome outcome = Run(Input({code}, photos));

    EXPECT_EQ(outcome.result, AssignmentOutcome::Result::Completed) << outcome.failureReason.toStdString();
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{code, "/upload/StudentPhoto/学籍号甲.jpg"}}));
    EXPECT_EQ(ReadFile(site->SitePhotoFolder() + code + ".jpg"), ReadFile(TestDataPath(kJpeg)));
}
