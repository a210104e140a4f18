// The plan, the assignment run, its journal and undo against real databases.
// The same cases run on SQLite and on the PostgreSQL test server:
// SP_TEST_BACKEND names the one.
#include "assignment/run/AssignmentRun.h"

#include "assignment/journal/JournalReader.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/run/PlanMaking.h"
#include "assignment/run/UndoRun.h"
#include "assignment/site/SiteConfig.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/site/StudentCards.h"
#include "assignment/site/StudentRows.h"
#include "assignment/views/PlanRowView.h"
#include "assignment/views/Thumbnail.h"
#include "faces/ReducedPhoto.h"
#include "files/FileSystemPath.h"
#include "picture/TJPEGImage.h"
#include "platform/database/TADOQuery.h"
#include "resize/LargeJpeg.h"
#include "support/MessageTexts.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace MessageTexts;
using Result = AssignmentOutcome::Result;

namespace {

const QString kPortrait = QStringLiteral("jpeg/photos/obama_backstage_the_white_house.jpg"); // 768 × 1152
const QString kSquare = QStringLiteral("jpeg/photos/hopper_gray.jpg");                       // 128 × 128
const QString kLandscape = QStringLiteral("jpeg/photos/concert.jpg");                        // 400 × 267
const QString kBmp = QStringLiteral("bmpsuite/g/rgb24.bmp");                                 // 127 × 64
const QString kPortraits[] = {kPortrait, QStringLiteral("jpeg/photos/obama.jpg"),            // 910 × 1137
                              QStringLiteral("jpeg/photos/obama2.jpg"),                      // 626 × 1200
                              QStringLiteral("jpeg/photos/Portrait_1.jpg")};                 // 1200 × 1800

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

QStringList Codes(const QList<StudentNote>& students)
{
    QStringList codes;
    for (const StudentNote& student : students)
        codes << student.code;
    return codes;
}

// One test site, one query object and one journal per case, as the main
// window keeps one query object for all its runs.
class AssignmentRunTest : public ::testing::TestWithParam<Backend> {
protected:
    // Copies a shared test file into the photo folder; returns its name.
    // Without a file named, each photo added is another portrait of
    // kPortraits, the first kPortrait: one picture given for two students
    // is refused or warned.
    QString AddPhoto(const QString& name, const QString& testDataFile = {})
    {
        const QString file =
            testDataFile.isEmpty() ? kPortraits[portraitsAdded++ % std::size(kPortraits)] : testDataFile;
        WriteFile(photoFolder + name, ReadFile(TestDataPath(file)));
        return name;
    }

    PlanOutcome Plan(const QStringList& codes, const QStringList& photoNames)
    {
        return MakeAssignmentPlan(AssignmentInput{site->Folder(), photoFolder, codes, photoNames}, query);
    }

    // Plans and, when the plan stands, runs it with the journal.
    AssignmentOutcome Run(const QStringList& codes, const QStringList& photoNames)
    {
        progress.clear();
        const PlanOutcome planned = Plan(codes, photoNames);
        if (!planned.plan)
            return planned.stopped;
        RunSettings settings{journal.get(), [this](qsizetype done) {
                                 progress << done;
                                 if (onProgress)
                                     onProgress(done);
                             }};
        if (predictableNewFiles)
            settings.newFileName = PredictableNewFileName;
        return RunAssignment(*planned.plan, query, settings);
    }

    // The names a run writes new photo files under when predictableNewFiles is set.
    static QString PredictableNewFileName(const QString& destination, int attempt)
    {
        return destination + QStringLiteral(".try%1.new").arg(attempt);
    }

    UndoOutcome Undo(UndoMode mode = UndoMode::LeaveChangedAlone)
    {
        const std::optional<JournaledRun> run = FindRunToUndo(*journal, IdentifySite(site->Folder()));
        if (!run)
            return UndoOutcome{};
        return UndoRun(*journal, *run, site->Folder(), query, mode);
    }

    QByteArray SitePhoto(const QString& code) const { return ReadFile(site->SitePhotoFolder() + code + ".jpg"); }
    QStringList SitePhotos() const
    {
        return QDir(site->SitePhotoFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    std::unique_ptr<TestSite> site = std::make_unique<TestSite>(GetParam());
    TADOQuery query{site->OdbcDriver()};
    // Apart from the site, which some cases replace.
    QTemporaryDir photoDir{QDir::tempPath() + "/sp-photos-XXXXXX"};
    QString photoFolder = photoDir.path() + '/';
    QTemporaryDir dataDir{QDir::tempPath() + "/sp-data-XXXXXX"};
    std::unique_ptr<JournalStore> journal = std::make_unique<JournalStore>(dataDir.path());
    QList<qsizetype> progress;
    std::function<void(qsizetype)> onProgress;
    bool predictableNewFiles = false;
    std::size_t portraitsAdded = 0;
};

TEST_P(AssignmentRunTest, CopiesEveryPhotoAndWritesEveryRow)
{
    const QStringList codes{"2023001", "学籍号甲", "2023003"};
    site->AddStudents(codes);
    // A BMP photo is kept as it is, and an older photo of the third student is replaced.
    const QStringList photos{AddPhoto("a.jpg"), AddPhoto("张三.bmp", kBmp), AddPhoto("c.jpg", kSquare)};
    WriteFile(site->SitePhotoFolder() + "2023003.jpg", "an older photo");
    const auto kept = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(site->SitePhotoFolder() + "2023003.jpg", kept);

    const AssignmentOutcome outcome = Run(codes, photos);

    EXPECT_TRUE(outcome.EverythingSet()) << outcome.message.toStdString();
    EXPECT_EQ(outcome.message, kDone);
    EXPECT_EQ(outcome.statusText, kDoneStatus);
    EXPECT_EQ(outcome.studentsSet, 3);
    EXPECT_EQ(progress, (QList<qsizetype>{1, 2, 3}));
    EXPECT_EQ(site->Photos(), Rows(codes));
    EXPECT_EQ(SitePhoto("2023001"), ReadFile(TestDataPath(kPortrait)));
    EXPECT_EQ(SitePhoto("学籍号甲"), ReadFile(TestDataPath(kBmp)));
    EXPECT_EQ(SitePhoto("2023003"), ReadFile(TestDataPath(kSquare)));
    EXPECT_EQ(SitePhotos().size(), 3);
#ifndef _WIN32
    // The web server must be able to read a new photo; a replaced one keeps
    // its permissions (on Windows the folder's access list decides both).
    EXPECT_TRUE(QFileInfo(site->SitePhotoFolder() + "2023001.jpg").permission(QFile::ReadOther));
    const QFileInfo replaced(site->SitePhotoFolder() + "2023003.jpg");
    EXPECT_TRUE(replaced.permission(QFile::ReadGroup) && !replaced.permission(QFile::ReadOther));
#endif
    EXPECT_FALSE(query.Connected());
    EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).value(0).id, outcome.runId);
}

TEST_P(AssignmentRunTest, PlanOfAMixedRosterWarnsAndWritesNothing)
{
    site->AddStudents({"S1", "S2", "S4", "S5", "S6"});
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/S2.jpg' where studentcode = 'S2'");
    site->Execute("update studentbaseinfo set photo = null where studentcode = 'S6'");
    WriteFile(site->SitePhotoFolder() + "S2.jpg", "S2's photo");
    WriteFile(photoFolder + "5.jpg", "not a picture");
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg"),
                             AddPhoto("3.jpg"), AddPhoto("4.jpg", kLandscape),
                             "5.jpg",           AddPhoto("6.bmp", kBmp)};
    const SiteState before = site->State();

    const PlanOutcome planned = Plan({"S1", "S2", "S3", "S4", "S5", "S6"}, photos);

    ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
    const struct {
        PlanWarnings warnings;
        PhotoFacts::Kind kind;
        int width, height;
        bool student, destination;
        QString current;
    } expected[] = {
        {{}, PhotoFacts::Kind::Jpeg, 768, 1152, true, false, "（空）"},
        {PlanWarning::HasPhoto, PhotoFacts::Kind::Jpeg, 910, 1137, true, true, "/upload/StudentPhoto/S2.jpg"},
        {PlanWarning::NoStudent, PhotoFacts::Kind::Jpeg, 626, 1200, false, false, ""},
        {PlanWarning::OddShape, PhotoFacts::Kind::Jpeg, 400, 267, true, false, "（空）"},
        {PlanWarning::UnreadablePhoto, PhotoFacts::Kind::Unreadable, 0, 0, true, false, "（空）"},
        {PlanWarning::OddShape, PhotoFacts::Kind::Bmp, 127, 64, true, false, "NULL"},
    };
    const QList<PlanRow>& rows = planned.plan->rows;
    ASSERT_EQ(rows.size(), 6);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].code.toStdString());
        EXPECT_EQ(rows[i].line, i + 1);
        EXPECT_EQ(rows[i].warnings, expected[i].warnings)
            << ViewOfPlanRow(rows[i])[PlanColumn::Warnings].text.toStdString();
        EXPECT_EQ(rows[i].photo.kind, expected[i].kind);
        EXPECT_EQ(rows[i].photo.width, expected[i].width);
        EXPECT_EQ(rows[i].photo.height, expected[i].height);
        EXPECT_EQ(rows[i].studentExists, expected[i].student);
        EXPECT_EQ(rows[i].destinationExists, expected[i].destination);
        EXPECT_EQ(rows[i].studentExists ? PhotoValueText(rows[i].currentPhoto) : QString(), expected[i].current);
    }
    // Warnings first, then the photo to be replaced (a notice), then the rest.
    EXPECT_EQ(planned.plan->ProofOrder(), (QList<qsizetype>{2, 3, 4, 5, 1, 0}));
    EXPECT_EQ(PlanSummary(*planned.plan), QStringLiteral("共 6 名学生；数据库中没有这名学生 1 名；图片无法读取 1 名；"
                                                         "不是 2:3 竖版照片 2 名；已有照片，将被替换（可撤销） 1 名"));
    EXPECT_EQ(site->State(), before);
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
        // An empty database would be the driver's default one, or a file named after the connection string.
        {"Web.config with an empty database",
         [](const TestSite& s) { s.WriteWebConfig("<c a=\"server=(local);database=;uid=sa;pwd=p;\"/>"); }},
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
        EXPECT_TRUE(outcome.message.startsWith(kFailed + "\n\n出错原因：" + outcome.failureReason));
        EXPECT_EQ(outcome.statusText, kFailedStatus);
        EXPECT_FALSE(outcome.failureReason.isEmpty());
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_TRUE(SitePhotos().isEmpty());
        EXPECT_EQ(site->Photos(), Rows({}, codes));
        EXPECT_FALSE(query.Connected());
        EXPECT_TRUE(JournalRuns(*journal, IdentifySite(site->Folder())).isEmpty());
    }
}

// The driver's words for a database that is not there name none (SQLite's
// "connect failed"): the message names the database and the Web.config
// that names it.
TEST_P(AssignmentRunTest, AMissingDatabaseIsNamedWithTheWebConfigThatNamesIt)
{
    const QStringList codes{"1"};
    const QStringList photos{AddPhoto("1.jpg")};
    site->AddStudents(codes);
    QString settings = QString::fromUtf8(site->ConnectionSettingsText());
    const QRegularExpression database(QStringLiteral("database=([^;]*);"));
    const QString present = database.match(settings).captured(1);
    ASSERT_FALSE(present.isEmpty()) << settings.toStdString();
    const QString missing = GetParam() == Backend::SQLite ? QFileInfo(present).path() + "/missing.db"
                                                          : QStringLiteral("sp_missing_database");
    settings.replace(present, missing);
    site->WriteWebConfig("<c a=\"" + settings.toUtf8() + "\"/>");

    const AssignmentOutcome outcome = Run(codes, photos);

    EXPECT_EQ(outcome.result, Result::Failed);
    EXPECT_TRUE(outcome.failureReason.startsWith(QStringLiteral("找不到数据库：")))
        << outcome.failureReason.toStdString();
    EXPECT_TRUE(outcome.failureReason.contains(QStringLiteral("（数据库“%1”，服务器“").arg(missing)))
        << outcome.failureReason.toStdString();
    EXPECT_TRUE(outcome.failureReason.contains(QDir::toNativeSeparators(site->Folder() + "Web.config")))
        << outcome.failureReason.toStdString();
    EXPECT_TRUE(outcome.message.contains(outcome.failureReason));
    EXPECT_TRUE(SitePhotos().isEmpty());
}

// A 108-megapixel phone's photo has more pixels than a whole decoding may
// hold: the plan reads its header, its thumbnail and the face check's
// reduced picture are decoded reduced, and the run copies its bytes.
TEST_P(AssignmentRunTest, APhotoTooLargeToDecodeWholeIsPlannedShownAndCopied)
{
    if (GetParam() != Backend::SQLite)
        GTEST_SKIP() << "the database plays no part; one backend is enough";
    constexpr int kWidth = 12000, kHeight = 9000;
    ASSERT_GT(std::int64_t{kWidth} * kHeight, kMaxWholeDecodingPixels);
    site->AddStudents({"B1"});
    const QString photo = photoFolder + "big.jpg";
    WriteSquaresJpeg(photo, kWidth, kHeight);

    const PlanOutcome planned = Plan({"B1"}, {"big.jpg"});

    ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
    const PlanRow& row = planned.plan->rows.value(0);
    EXPECT_EQ(row.photo.kind, PhotoFacts::Kind::Jpeg) << row.photo.problem.toStdString();
    EXPECT_EQ(row.photo.width, kWidth);
    EXPECT_EQ(row.photo.height, kHeight);
    // Landscape, and nothing worse.
    EXPECT_EQ(row.warnings, PlanWarnings(PlanWarning::OddShape))
        << ViewOfPlanRow(row)[PlanColumn::Warnings].text.toStdString();
    const QImage thumbnail = MakeThumbnail(photo, {60, 90});
    EXPECT_EQ(thumbnail.size(), QSize(60, 45));
    // A thumbnail pixel stands for 200 × 200 pixels of the photo: the one
    // whose pixels all lie in the square around (5700, 4700) shows its colour.
    const std::uint32_t centre = SquareColour(5700, 4700);
    const QColor shown = thumbnail.pixelColor(28, 23);
    EXPECT_NEAR(shown.red(), int(centre >> 16 & 0xff), 24);
    EXPECT_NEAR(shown.green(), int(centre >> 8 & 0xff), 24);
    EXPECT_NEAR(shown.blue(), int(centre & 0xff), 24);
    const ReducedPhoto reduced = ReadReducedPhoto(FileSystemPath(photo), 240);
    EXPECT_EQ(reduced.pixels->Height(), 240);

    const AssignmentOutcome outcome = Run({"B1"}, {"big.jpg"});

    EXPECT_TRUE(outcome.EverythingSet()) << outcome.message.toStdString();
    EXPECT_EQ(SitePhoto("B1"), ReadFile(photo));
}

TEST_P(AssignmentRunTest, RunThenUndoGivesBackTheEarlierFilesAndValues)
{
    site->AddStudents({"A", "B", "C"});
    site->Execute("update studentbaseinfo set photo = null where studentcode = 'A'");
    site->Execute("update studentbaseinfo set photo = '/old/B.jpg' where studentcode = 'B'");
    WriteFile(site->SitePhotoFolder() + "B.jpg", "B's old photo");
    WriteFile(site->SitePhotoFolder() + "C.jpg", "C's old photo, no value");
    const SiteState before = site->State();

    const AssignmentOutcome outcome =
        Run({"A", "B", "C", "D"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg", kBmp), AddPhoto("3.jpg"), AddPhoto("4.jpg")});
    ASSERT_EQ(outcome.result, Result::Completed) << outcome.message.toStdString();
    EXPECT_EQ(Codes(outcome.noRowChanged), QStringList{"D"});
    EXPECT_EQ(SitePhoto("B"), ReadFile(TestDataPath(kBmp)));

    const UndoOutcome undone = Undo();
    EXPECT_TRUE(undone.EverythingUndone()) << undone.message.toStdString();
    EXPECT_EQ(Codes(undone.restored), (QStringList{"A", "B", "C", "D"}));
    EXPECT_EQ(site->State(), before);
    // Once undone, the run is not offered again.
    EXPECT_FALSE(FindRunToUndo(*journal, IdentifySite(site->Folder())).has_value());
    EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).value(0).StateText(), QStringLiteral("已撤销"));
}

TEST_P(AssignmentRunTest, RunCutOffMidwaySaysWhatHappenedAndCanBeUndone)
{
    // PostgreSQL: the server goes down after the second student, as a lost
    // database would. SQLite: the database refuses the third student's row.
    std::unique_ptr<PrivatePgServer> server;
    if (GetParam() == Backend::PostgreSQL) {
#ifdef _WIN32
        GTEST_SKIP() << "a Windows test cannot start a server of its own (pg-server.sh is a Linux script)";
#endif
        server = std::make_unique<PrivatePgServer>();
        site = std::make_unique<TestSite>(Backend::PostgreSQL, server->StateFolder());
        onProgress = [&](qsizetype done) {
            if (done == 2)
                server->Halt();
        };
    }
    site->AddStudents({"A", "B", "C", "D"});
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/A.jpg' where studentcode = 'A'");
    WriteFile(site->SitePhotoFolder() + "A.jpg", "A's photo before");
    WriteFile(site->SitePhotoFolder() + "C.jpg", "C's photo before");
    if (!server)
        site->RejectUpdatesOf("C");
    const SiteState before = site->State();

    const AssignmentOutcome outcome =
        Run({"A", "B", "C", "D"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg"), AddPhoto("4.jpg")});

    EXPECT_EQ(outcome.result, Result::Failed);
    EXPECT_EQ(outcome.statusText, kFailedStatus);
    EXPECT_EQ(progress, (QList<qsizetype>{1, 2}));
    EXPECT_EQ(outcome.copiedWithoutRow, (StudentNote{3, "C", {}}));
    EXPECT_TRUE(outcome.message.startsWith(kFailed + "\n\n出错原因：" + outcome.failureReason
                                           + "\n\n"
                                             "已处理 2 名学生（共 4 名），其中 2 名已设置好照片；其余学生没有改动。\n"
                                             "第 3 行学生 C 的照片已复制，但数据库中的记录没有写入。\n"
                                             "这次设置已记入撤销记录，可以撤销。"))
        << outcome.message.toStdString();
    if (!server) {
        EXPECT_TRUE(outcome.failureReason.contains("photo of C refused")) << outcome.failureReason.toStdString();
    }
    EXPECT_EQ(SitePhoto("C"), ReadFile(photoFolder + "3.jpg"));
    EXPECT_EQ(SitePhotos(), (QStringList{"A.jpg", "B.jpg", "C.jpg"}));

    if (server)
        server->Resume();
    else
        site->Execute("drop trigger reject_one");
    EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).value(0).StateText(), QStringLiteral("失败"));
    const UndoOutcome undone = Undo();
    EXPECT_TRUE(undone.EverythingUndone()) << undone.message.toStdString();
    EXPECT_EQ(Codes(undone.restored), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(site->State(), before);
}

TEST_P(AssignmentRunTest, UndoLeavesStudentsChangedSinceAloneUnlessForced)
{
    site->AddStudents({"A", "B", "C"});
    const SiteState before = site->State();
    ASSERT_TRUE(Run({"A", "B", "C"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg")}).EverythingSet());
    // Since the run: A's photo replaced (a later run would do that), B's value edited by hand.
    WriteFile(site->SitePhotoFolder() + "A.jpg", "a later photo of A");
    site->Execute("update studentbaseinfo set photo = '/by/hand.jpg' where studentcode = 'B'");

    const UndoOutcome careful = Undo();
    EXPECT_EQ(careful.result, UndoOutcome::Result::Completed);
    EXPECT_EQ(careful.leftAlone, (QList<StudentNote>{{1, "A", "照片文件在那次设置之后又被换过"},
                                                     {2, "B", "数据库中的照片路径在那次设置之后又被改过"}}));
    EXPECT_EQ(Codes(careful.restored), QStringList{"C"});
    EXPECT_TRUE(careful.message.contains(QStringLiteral("2 名学生在那次设置之后又有改动，没有恢复：A、B")))
        << careful.message.toStdString();
    EXPECT_EQ(SitePhoto("A"), QByteArray("a later photo of A"));
    EXPECT_EQ(site->Photos().value("B"), QStringLiteral("/by/hand.jpg"));
    EXPECT_FALSE(QFileInfo::exists(site->SitePhotoFolder() + "C.jpg"));

    // The run is still offered, for the students left; forced, they go back too.
    const UndoOutcome forced = Undo(UndoMode::Force);
    EXPECT_TRUE(forced.EverythingUndone()) << forced.message.toStdString();
    EXPECT_EQ(Codes(forced.restored), (QStringList{"A", "B"}));
    EXPECT_EQ(site->State(), before);
}

TEST_P(AssignmentRunTest, OldRunsArePrunedAndTheMessageSaysSo)
{
    site->AddStudents({"A"});
    const QStringList photo{AddPhoto("1.jpg")};
    journal = std::make_unique<JournalStore>(dataDir.path(), JournalLimits{.runsPerSite = 2});
    const QString first = Run({"A"}, photo).runId;
    const QString second = Run({"A"}, photo).runId;
    const AssignmentOutcome third = Run({"A"}, photo);
    ASSERT_TRUE(third.EverythingSet()) << third.message.toStdString();
    ASSERT_EQ(third.prunedRuns.size(), 1);
    EXPECT_TRUE(third.message.startsWith(kDone + "\n\n以下较早的设置记录已删除，不能再撤销：" + third.prunedRuns[0]));
    QStringList ids;
    for (const JournaledRun& run : JournalRuns(*journal, IdentifySite(site->Folder())))
        ids << run.id;
    EXPECT_EQ(ids, (QStringList{second, third.runId}));
    EXPECT_LT(first, second);

    // Past the size limit even the newest runs but the one just made go.
    journal = std::make_unique<JournalStore>(dataDir.path(), JournalLimits{.totalBytes = 1});
    const AssignmentOutcome fourth = Run({"A"}, photo);
    EXPECT_EQ(fourth.prunedRuns.size(), 2);
    EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).size(), 1);
}

TEST_P(AssignmentRunTest, PlantedLinksLeadNoBytesOutOfTheSite)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege Windows users lack; Qt makes .lnk shortcuts, plain files";
#else
    site->AddStudents({"K1", "K2"});
    const QString outside = site->WriteScratch("outside.txt", "outside the site");
    // A link where the copy first writes K1's photo, and one at K2's destination itself.
    predictableNewFiles = true;
    const QString planted = PredictableNewFileName(site->SitePhotoFolder() + "K1.jpg", 0);
    ASSERT_TRUE(QFile::link(outside, planted));
    ASSERT_TRUE(QFile::link(outside, site->SitePhotoFolder() + "K2.jpg"));

    const AssignmentOutcome outcome = Run({"K1", "K2"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")});

    EXPECT_EQ(ReadFile(outside), QByteArray("outside the site"));
    EXPECT_EQ(QFileInfo(planted).symLinkTarget(), outside);
    EXPECT_EQ(SitePhoto("K1"), ReadFile(TestDataPath(kPortrait)));
    EXPECT_EQ(outcome.notCopied.value(0).code, QStringLiteral("K2"));
    EXPECT_TRUE(outcome.notCopied.value(0).reason.contains(QStringLiteral("不是普通文件")));
    EXPECT_EQ(QFileInfo(site->SitePhotoFolder() + "K2.jpg").symLinkTarget(), outside);
    EXPECT_EQ(site->Photos(), Rows({"K1"}, {"K2"}));
#endif
}

TEST_P(AssignmentRunTest, StudentsNotSetAreCountedAndListedShortly)
{
    QStringList unknown;
    for (int i = 1; i <= 11; ++i)
        unknown << QStringLiteral("u%1").arg(i, 2, 10, QChar('0'));
    site->AddStudents({"K1", "K2", "K3", "K4"});
    WriteFile(site->SitePhotoFolder() + "K2.jpg", "the photo K2 had before");
    // A destination that cannot be replaced: a folder of that name.
    ASSERT_TRUE(QDir(site->SitePhotoFolder()).mkdir("K4.jpg"));
    // An empty roster line stays a code of its own, with its photo ".jpg".
    QStringList codes = QStringList{"K1", "K2", "K3", "K4", ""} + unknown;
    QStringList photos{AddPhoto("1.jpg"), "missing.jpg", AddPhoto("3.jpg", kBmp), AddPhoto("4.jpg")};
    // Each another file of one picture (bytes after its end make it so).
    while (photos.size() < codes.size()) {
        const QString name = QStringLiteral("%1.jpg").arg(photos.size() + 1);
        WriteFile(photoFolder + name, ReadFile(TestDataPath(kSquare)) + name.toUtf8());
        photos << name;
    }

    const AssignmentOutcome outcome = Run(codes, photos);

    EXPECT_EQ(outcome.result, Result::Completed);
    EXPECT_FALSE(outcome.EverythingSet());
    EXPECT_EQ(outcome.studentsDone, 16);
    EXPECT_EQ(outcome.statusText, QStringLiteral("14 名学生未设置"));
    EXPECT_EQ(Codes(outcome.notCopied), (QStringList{"K2", "K4"}));
    EXPECT_EQ(Codes(outcome.noRowChanged), QStringList{""} + unknown);
    EXPECT_EQ(outcome.message, "14 名学生没有设置照片。其余 2 名学生的照片已设置，请重新启动IIS。"
                               "\n\n图片未能复制，数据库中的记录未改动（2 名）：K2、K4\n"
                               "数据库中没有这些学籍号的学生，图片已复制但没有记录被更新（12 名）："
                               "（空学籍号）、u01、u02、u03、u04、u05、u06、u07、u08、u09 等 12 名");
    EXPECT_TRUE(outcome.details.startsWith(
        QStringLiteral("图片未能复制：\n第 2 行 K2：图片 missing.jpg 无法读取（图片文件不存在）\n"
                       "第 4 行 K4：目标 ")))
        << outcome.details.toStdString();
    EXPECT_TRUE(outcome.details.endsWith(QStringLiteral("第 16 行 u11"))) << outcome.details.toStdString();
    EXPECT_EQ(site->Photos(), Rows({"K1", "K3"}, {"K2", "K4"}));
    EXPECT_EQ(SitePhoto("K2"), QByteArray("the photo K2 had before"));
    // No half-made copy is left behind.
    QStringList copied{".jpg", "K1.jpg", "K2.jpg", "K3.jpg"};
    for (const QString& code : unknown)
        copied << code + ".jpg";
    EXPECT_EQ(SitePhotos(), copied);
}

TEST_P(AssignmentRunTest, AFileThatIsNoPictureNeverReplacesAStudentsPhoto)
{
    site->AddStudents({"T1", "T2"});
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/T2.jpg' where studentcode = 'T2'");
    const QByteArray goodPhoto = ReadFile(TestDataPath(kSquare));
    WriteFile(site->SitePhotoFolder() + "T2.jpg", goodPhoto);
    WriteFile(photoFolder + "005.jpg", "this is not a photo\r\n");

    const AssignmentOutcome outcome = Run({"T1", "T2"}, {AddPhoto("1.jpg"), "005.jpg"});

    EXPECT_EQ(outcome.result, Result::Completed);
    EXPECT_FALSE(outcome.EverythingSet());
    ASSERT_EQ(outcome.notCopied.size(), 1);
    EXPECT_EQ(outcome.notCopied[0].code, QStringLiteral("T2"));
    EXPECT_EQ(outcome.notCopied[0].reason, QStringLiteral("图片 005.jpg 无法读取（不是 JPEG 或 BMP 图片）"));
    EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("1 名学生没有设置照片。"))) << outcome.message.toStdString();
    EXPECT_EQ(SitePhoto("T2"), goodPhoto);
    EXPECT_EQ(site->Photos(),
              (QMap<QString, QString>{{"T1", "/upload/StudentPhoto/T1.jpg"}, {"T2", "/upload/StudentPhoto/T2.jpg"}}));
}

TEST_P(AssignmentRunTest, PhotosOfTheSameBytesAreRefusedNamingTheirLines)
{
    site->AddStudents({"B1", "B2", "B3", "B4"});
    const QStringList photos{AddPhoto("a.jpg", kPortrait), AddPhoto("b.jpg", kSquare), AddPhoto("c.jpg", kPortrait),
                             "d.jpg"};
#ifdef _WIN32
    AddPhoto("d.jpg", kSquare);
#else
    // One file under two names.
    ASSERT_TRUE(::link(QFile::encodeName(photoFolder + "b.jpg").constData(),
                       QFile::encodeName(photoFolder + "d.jpg").constData())
                == 0);
#endif
    const SiteState before = site->State();

    const AssignmentOutcome outcome = Run({"B1", "B2", "B3", "B4"}, photos);

    EXPECT_EQ(outcome.result, Result::Refused);
    EXPECT_EQ(outcome.message, QStringLiteral("有内容完全相同的图片，照片和学籍号会错位：\n"
                                              "第 1、3 行的图片相同（a.jpg、c.jpg）\n"
                                              "第 2、4 行的图片相同（b.jpg、d.jpg）\n"
                                              "没有设置任何学生，请改正后重试！"));
    EXPECT_EQ(site->State(), before);
}

TEST_P(AssignmentRunTest, ThePlanLooksAtEachPictureUprightAndFindsTheSamePictureAgain)
{
    site->AddStudents({"V1", "V2", "V3", "V4", "V5", "V6", "V7"});
    // V4's current photo is its new one stored another way, V5's is the
    // photo given again for V3.
    WriteFile(site->SitePhotoFolder() + "V4.jpg", ReadFile(TestDataPath("jpeg/photos/Portrait_1.jpg")));
    WriteFile(site->SitePhotoFolder() + "V5.jpg", ReadFile(TestDataPath("jpeg/photos/obama.jpg")));
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/V4.jpg' where studentcode = 'V4'");
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/V5.jpg' where studentcode = 'V5'");
    const QImage portrait(TestDataPath(kPortrait));
    ASSERT_TRUE(portrait.scaled(120, 180, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .save(photoFolder + "2.jpg", "JPEG", 80));
    const QStringList photos{AddPhoto("1.jpg"),
                             "2.jpg",
                             AddPhoto("3.jpg", "jpeg/photos/obama.jpg"),
                             AddPhoto("4.jpg", "jpeg/photos/Portrait_6.jpg"),
                             AddPhoto("5.jpg", "jpeg/photos/obama2.jpg"),
                             AddPhoto("6.jpg", "jpeg/corrupt/derive-huffman-codes-overflow.jpg"),
                             AddPhoto("7.jpg", kSquare)};

    const PlanOutcome planned = Plan({"V1", "V2", "V3", "V4", "V5", "V6", "V7"}, photos);

    ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
    const QList<PlanRow>& rows = planned.plan->rows;
    ASSERT_EQ(rows.size(), 7);
    const struct {
        PlanWarnings warnings;
        QStringList texts;
    } expected[] = {
        {PlanWarning::SamePicture, {"与另一张新照片是同一张图片（第 2 行）"}},
        {PlanWarning::SamePicture, {"与另一张新照片是同一张图片（第 1 行）"}},
        {PlanWarning::AnotherStudentsPhoto, {"与另一名学生现有的照片相同（第 5 行）"}},
        // Upright 1200 × 1800: no odd shape; its own current photo is no other student's.
        {PlanWarning::HasPhoto, {"已有照片，将被替换（可撤销）"}},
        {PlanWarning::HasPhoto, {"已有照片，将被替换（可撤销）"}},
        {PlanWarning::UnreadablePhoto, {"图片无法读取（JPEG 图片已损坏（JPEG error #8））"}},
        {PlanWarning::OddShape, {"不是 2:3 竖版照片（128×128）"}},
    };
    for (qsizetype i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].code.toStdString());
        EXPECT_EQ(rows[i].warnings, expected[i].warnings);
        EXPECT_EQ(ViewOfPlanRow(rows[i]).warnings, expected[i].texts);
    }
    EXPECT_EQ(ViewOfPlanRow(rows[3])[PlanColumn::Size].text, QStringLiteral("1200×1800"));

    // The damaged photo is not installed.
    const AssignmentOutcome outcome = RunAssignment(*planned.plan, query, RunSettings{journal.get(), {}});
    EXPECT_EQ(Codes(outcome.notCopied), QStringList{"V6"});
    EXPECT_FALSE(QFileInfo::exists(site->SitePhotoFolder() + "V6.jpg"));
    EXPECT_EQ(site->Photos().value("V6"), QString());
    EXPECT_EQ(site->Photos().value("V7"), QStringLiteral("/upload/StudentPhoto/V7.jpg"));
}

TEST_P(AssignmentRunTest, ThePlanReadsTheStudentsNamesWhereTheTableHasThem)
{
    site->AddStudents({"N1", " N2", "N3"});
    site->Execute("update studentbaseinfo set name = '张伟' where studentcode = 'N1'");
    site->Execute("update studentbaseinfo set name = '李娜' where studentcode = ' N2'");
    const QStringList codes{"N1", " N2", "N3"};
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg")};
    const auto names = [](const AssignmentPlan& plan) {
        QStringList shown;
        for (const PlanRow& row : plan.rows)
            shown << ViewOfPlanRow(row)[PlanColumn::Name].text;
        return shown;
    };

    PlanOutcome planned = Plan(codes, photos);
    ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
    EXPECT_EQ(planned.plan->nameColumn, QStringLiteral("name"));
    EXPECT_TRUE(PlanColumnShown(*planned.plan, PlanColumn::Name));
    EXPECT_EQ(names(*planned.plan), (QStringList{"张伟", "李娜", "学生N3"}));
    // The blank before the second code is marked and warned.
    const PlanRowView second = ViewOfPlanRow(planned.plan->rows[1]);
    EXPECT_EQ(second[PlanColumn::Code].text, QStringLiteral("␣N2"));
    EXPECT_EQ(second.warnings, QStringList{"学籍号前后有空格"});
    EXPECT_EQ(planned.plan->rows[0].warnings, PlanWarnings());

    // Found under another usual name, in any case.
    site->Execute("alter table studentbaseinfo rename column name to XSXM");
    planned = Plan(codes, photos);
    ASSERT_TRUE(planned.plan);
    EXPECT_EQ(planned.plan->nameColumn.toLower(), QStringLiteral("xsxm"));
    EXPECT_EQ(names(*planned.plan), (QStringList{"张伟", "李娜", "学生N3"}));

    // An unusual name only when the setting names it; nothing else changes without it.
    site->Execute("alter table studentbaseinfo rename column XSXM to fullname");
    planned = Plan(codes, photos);
    ASSERT_TRUE(planned.plan);
    EXPECT_EQ(planned.plan->nameColumn, QString());
    EXPECT_FALSE(PlanColumnShown(*planned.plan, PlanColumn::Name));
    EXPECT_EQ(names(*planned.plan), (QStringList{"", "", ""}));
    EXPECT_EQ(planned.plan->rows[0].warnings, PlanWarnings());
    AssignmentInput input{site->Folder(), photoFolder, codes, photos};
    input.nameColumn = QStringLiteral("FullName");
    planned = MakeAssignmentPlan(input, query);
    ASSERT_TRUE(planned.plan);
    EXPECT_EQ(names(*planned.plan), (QStringList{"张伟", "李娜", "学生N3"}));
    // A setting that is no plain column name is never put into a statement.
    input.nameColumn = QStringLiteral("fullname from studentbaseinfo; --");
    planned = MakeAssignmentPlan(input, query);
    ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
    EXPECT_EQ(planned.plan->nameColumn, QString());
}

TEST_P(AssignmentRunTest, StudentCardsGiveNameClassAndCurrentPhotoWithoutWriting)
{
    site->AddStudents({"C1", "C2", "C3", "C4"});
    site->Execute("update studentbaseinfo set name = '王芳' where studentcode = 'C1'");
    // C1's column names another file of the folder; C2's names none, but a
    // photo under its code is there; C3's names a file that is not there;
    // C4's names a file outside the photo folder.
    WriteFile(site->SitePhotoFolder() + "old-c1.jpg", "c1");
    WriteFile(site->SitePhotoFolder() + "C2.jpg", "c2");
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/old-c1.jpg' where studentcode = 'C1'");
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/gone.jpg' where studentcode = 'C3'");
    site->Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/../Web.config' where studentcode = 'C4'");
    const SiteState before = site->State();

    const QHash<QString, StudentCard> cards = ReadStudentCards(query, site->Folder(), {"C1", "C2", "C3", "C4", "C9"});
    ASSERT_EQ(cards.size(), 4) << "C9 has no row";
    EXPECT_EQ(cards["C1"].name, QStringLiteral("王芳"));
    // On Windows the photo folder's part of the path has the native separators.
    EXPECT_EQ(QDir::fromNativeSeparators(cards["C1"].currentPhoto), site->SitePhotoFolder() + "old-c1.jpg");
    EXPECT_EQ(QDir::fromNativeSeparators(cards["C2"].currentPhoto), site->SitePhotoFolder() + "C2.jpg");
    EXPECT_EQ(cards["C3"].currentPhoto, QString());
    EXPECT_EQ(cards["C4"].currentPhoto, QString());
    EXPECT_EQ(site->State(), before);

    EXPECT_EQ(cards["C1"].className, QString()) << "no class column";

    // The class from a column of one of its usual names, or from the one the
    // setting names.
    site->Execute("alter table studentbaseinfo add column bj varchar(20)");
    site->Execute("alter table studentbaseinfo add column banji varchar(20)");
    site->Execute("update studentbaseinfo set bj = '初一(3)班 ', banji = '三班' where studentcode = 'C1'");
    EXPECT_EQ(ReadStudentCards(query, site->Folder(), {"C1"})["C1"].className, QStringLiteral("初一(3)班"));
    EXPECT_EQ(ReadStudentCards(query, site->Folder(), {"C1", "C2"}, {}, "BANJI")["C1"].className,
              QStringLiteral("三班"));
    EXPECT_EQ(ReadStudentCards(query, site->Folder(), {"C2"})["C2"].className, QString()) << "a row without a class";
    EXPECT_EQ(ReadStudentCards(query, site->Folder(), {"C1"})["C1"].name, QStringLiteral("王芳"));

    // A site whose settings cannot be read says so.
    site->WriteWebConfig("<configuration>");
    EXPECT_THROW(ReadStudentCards(query, site->Folder(), {"C1"}), EWebConfigError);
}

TEST_P(AssignmentRunTest, QuotesInACodeUpdateExactlyThatStudent)
{
    site->AddStudents({"O'Neil", "x' or '1'='1", "bystander", "x"});
    const AssignmentOutcome outcome = Run({"O'Neil", "x' or '1'='1"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")});

    EXPECT_TRUE(outcome.EverythingSet()) << outcome.message.toStdString();
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"O'Neil", "/upload/StudentPhoto/O'Neil.jpg"},
                                                      {"x' or '1'='1", "/upload/StudentPhoto/x' or '1'='1.jpg"},
                                                      {"bystander", ""},
                                                      {"x", ""}}));
}

TEST_P(AssignmentRunTest, NamedPipesAreNeitherReadNorWritten)
{
#ifdef _WIN32
    GTEST_SKIP() << "no named pipes in Windows folders";
#else
    site->AddStudents({"P1", "P2"});
    // A photo swapped for a pipe after the list was made, and a pipe where
    // the copy first writes P2's photo before it takes the photo's name.
    const QString pipe = photoFolder + "pipe.jpg";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    predictableNewFiles = true;
    const QString planted = PredictableNewFileName(site->SitePhotoFolder() + "P2.jpg", 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(planted).constData(), 0600), 0);
    // Held open for reading, so that a copy opening the pipe would write
    // into it rather than wait for ever; the photo fits its buffer.
    const int reader = ::open(QFile::encodeName(planted).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    const AssignmentOutcome outcome = Run({"P1", "P2"}, {"pipe.jpg", AddPhoto("2.jpg", kSquare)});

    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "the copy wrote into the planted pipe";
    ::close(reader);
    EXPECT_TRUE(QFileInfo(planted).exists());
    ASSERT_EQ(outcome.notCopied.size(), 1);
    EXPECT_EQ(outcome.notCopied[0].code, QStringLiteral("P1"));
    EXPECT_EQ(SitePhoto("P2"), ReadFile(photoFolder + "2.jpg"));
    EXPECT_EQ(site->Photos(), Rows({"P2"}, {"P1"}));
#endif
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Database, AssignmentRunTest, ::testing::Values(Backend::SP_TEST_BACKEND),
                         [](const auto& info) { return std::string(BackendName(info.param)); });
