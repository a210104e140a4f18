// What a run and an undo do with what they are handed that they did not make:
// a journal edited or swapped for a pipe, another run of the same site under
// way, links swapped in between a check and a use, photos changed since the
// plan was shown. On SQLite and PostgreSQL, as SP_TEST_BACKEND says.
#include "assignment/journal/JournalFormat.h"
#include "assignment/journal/JournalReader.h"
#include "assignment/journal/JournalStore.h"
#include "assignment/journal/SiteLock.h"
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "assignment/run/UndoRun.h"
#include "assignment/site/SiteIdentity.h"
#include "assignment/views/PlanRowView.h"
#include "platform/database/TADOQuery.h"
#include "support/MessageTexts.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace MessageTexts;
using Result = AssignmentOutcome::Result;

namespace {

const QString kPortrait = QStringLiteral("jpeg/photos/obama_backstage_the_white_house.jpg");
const QString kLandscape = QStringLiteral("jpeg/photos/concert.jpg");
const QString kSquare = QStringLiteral("jpeg/photos/hopper_gray.jpg");

QStringList Codes(const QList<StudentNote>& students)
{
    QStringList codes;
    for (const StudentNote& student : students)
        codes << student.code;
    return codes;
}

// Rewrites every line of a journal with fresh checks: a forgery that knows
// the format, which only the rules behind the checks can catch.
void Reseal(const QString& journalFile, const std::function<void(JournalFormat::JournalRecord& record)>& edit)
{
    QByteArray chain;
    QByteArray resealed;
    QByteArray previous;
    for (const QByteArray& line : ReadFile(journalFile).split('\n')) {
        if (line.isEmpty())
            continue;
        JournalFormat::ReadRecord read = JournalFormat::Record(line, previous);
        previous = read.chain;
        edit(read.record);
        resealed += JournalFormat::Line(read.record, chain);
    }
    WriteFile(journalFile, resealed);
}

void ReplaceBytes(const QString& file, const QByteArray& before, const QByteArray& after)
{
    QByteArray bytes = ReadFile(file);
    ASSERT_TRUE(bytes.contains(before)) << before.toStdString();
    WriteFile(file, bytes.replace(before, after));
}

class RunDefenceTest : public ::testing::TestWithParam<Backend> {
protected:
    // Each photo's bytes are its own (its name follows the picture's end), so
    // that the plan does not refuse them as one file given twice.
    QString AddPhoto(const QString& name, const QString& testDataFile = kPortrait)
    {
        WriteFile(photoFolder + name, ReadFile(TestDataPath(testDataFile)) + name.toUtf8());
        return name;
    }

    PlanOutcome Plan(const QStringList& codes, const QStringList& photoNames)
    {
        return MakeAssignmentPlan(AssignmentInput{site->Folder(), photoFolder, codes, photoNames}, query);
    }

    AssignmentOutcome Run(const QStringList& codes, const QStringList& photoNames)
    {
        const PlanOutcome planned = Plan(codes, photoNames);
        if (!planned.plan)
            return planned.stopped;
        return RunAssignment(*planned.plan, query, settings);
    }

    UndoOutcome Undo(UndoMode mode = UndoMode::LeaveChangedAlone)
    {
        const std::optional<JournaledRun> run = FindRunToUndo(*journal, IdentifySite(site->Folder()));
        if (!run)
            return UndoOutcome{};
        return UndoRun(*journal, *run, site->Folder(), query, mode);
    }

    QString LastRunFolder() const { return JournalRuns(*journal, IdentifySite(site->Folder())).value(0).folder; }
    QString LinesFile() const { return LastRunFolder() + "/journal.txt"; }
    QByteArray SitePhoto(const QString& code) const { return ReadFile(site->SitePhotoFolder() + code + ".jpg"); }

    std::unique_ptr<TestSite> site = std::make_unique<TestSite>(GetParam());
    TADOQuery query{site->OdbcDriver()};
    QTemporaryDir photoDir{QDir::tempPath() + "/sp-photos-XXXXXX"};
    QString photoFolder = photoDir.path() + '/';
    QTemporaryDir dataDir{QDir::tempPath() + "/sp-data-XXXXXX"};
    // No waiting for another run's lock: a held lock refuses at once.
    std::unique_ptr<JournalStore> journal =
        std::make_unique<JournalStore>(dataDir.path(), JournalLimits{.lockWaitMs = 0});
    RunSettings settings{journal.get(), {}};
};

// A run of A, B and C over an older photo and value of B, ready to be undone.
class DamagedJournalTest : public RunDefenceTest {
protected:
    void SetUp() override
    {
        site->AddStudents({"A", "B", "C"});
        site->Execute("update studentbaseinfo set photo = '/old/B.jpg' where studentcode = 'B'");
        WriteFile(site->SitePhotoFolder() + "B.jpg", "B's old photo");
        before = site->State();
        const AssignmentOutcome outcome =
            Run({"A", "B", "C"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg")});
        ASSERT_TRUE(outcome.EverythingSet()) << outcome.message.toStdString();
        afterRun = site->State();
    }

    SiteState before;
    SiteState afterRun;
};

TEST_P(DamagedJournalTest, AnythingDamagedStopsTheUndoBeforeItChangesAnything)
{
#ifndef _WIN32
    const QString outside = site->WriteScratch("victim.jpg", "a file outside the site");
    const QString outsideCode = "../../../" + QFileInfo(outside).dir().dirName() + "/victim";
#else
    const QString outsideCode = "..\\..\\victim";
#endif
    const struct {
        const char* name;
        std::function<void()> damage;
        QString named; // what the refusal names
    } cases[] = {
        {"an old value edited", [&] { ReplaceBytes(LinesFile(), "=/old/B.jpg", "=/old/X.jpg"); },
         QStringLiteral("已损坏")},
        {"a code leading out of the photo folder, with checks made anew",
         [&] {
             Reseal(LinesFile(), [&](JournalFormat::JournalRecord& record) {
                 if (record.kind == JournalFormat::RecordKind::Intent && record.code == "A") {
                     record.code = outsideCode;
                     record.newPhoto = "/upload/StudentPhoto/" + outsideCode + ".jpg";
                 }
             });
         },
         QStringLiteral("学籍号不能用作文件名")},
        {"a saved old photo's place moved, with checks made anew",
         [&] {
             Reseal(LinesFile(), [](JournalFormat::JournalRecord& record) {
                 if (record.kind == JournalFormat::RecordKind::Intent && record.code == "B")
                     record.oldFile = "1:12:" + record.oldFile.section(':', 2);
             });
         },
         QStringLiteral("保存的旧照片已损坏")},
        {"the saved old photo changed",
         [&] { ReplaceBytes(LastRunFolder() + "/old-photos.bin", "B's old", "B's new"); },
         QStringLiteral("保存的旧照片已损坏")},
        {"a record removed",
         [&] {
             QList<QByteArray> lines = ReadFile(LinesFile()).split('\n');
             lines.removeAt(6);
             WriteFile(LinesFile(), lines.join('\n'));
         },
         QStringLiteral("之前的记录缺少、多出或被挪动过")},
    };
    const QByteArray journalAsWritten = ReadFile(LinesFile());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(LinesFile(), journalAsWritten);
        c.damage();

        const UndoOutcome refused = Undo();

        EXPECT_EQ(refused.result, UndoOutcome::Result::Refused);
        EXPECT_TRUE(refused.message.contains(c.named)) << refused.message.toStdString();
        EXPECT_EQ(site->State(), afterRun);
#ifndef _WIN32
        EXPECT_EQ(ReadFile(outside), QByteArray("a file outside the site"));
#endif
    }
}

TEST_P(DamagedJournalTest, ForcedUndoSkipsOnlyTheDamagedStudents)
{
    ReplaceBytes(LinesFile(), "=/old/B.jpg", "=/old/X.jpg");

    const UndoOutcome forced = Undo(UndoMode::Force);

    EXPECT_EQ(forced.result, UndoOutcome::Result::Completed) << forced.message.toStdString();
    EXPECT_FALSE(forced.EverythingUndone());
    EXPECT_EQ(Codes(forced.damaged), QStringList{"B"});
    EXPECT_EQ(Codes(forced.restored), (QStringList{"A", "C"}));
    EXPECT_TRUE(forced.message.contains(QStringLiteral("1 名学生的撤销记录已损坏，跳过了：B")))
        << forced.message.toStdString();
    SiteState expected = before;
    expected.rows["B"] = afterRun.rows["B"];
    expected.files[site->SitePhotoFolder() + "B.jpg"] = afterRun.files[site->SitePhotoFolder() + "B.jpg"];
    EXPECT_EQ(site->State(), expected);
}

TEST_P(DamagedJournalTest, ALineCutOffByACrashIsNoDamage)
{
    QFile lines(LinesFile());
    ASSERT_TRUE(lines.open(QIODevice::Append));
    lines.write("done\t3\tC\tcop");
    lines.close();

    EXPECT_TRUE(JournalRuns(*journal, IdentifySite(site->Folder())).value(0).Damage().isEmpty());
    const UndoOutcome undone = Undo();

    EXPECT_TRUE(undone.EverythingUndone()) << undone.message.toStdString();
    EXPECT_EQ(site->State(), before);
    const JournaledRun run = JournalRuns(*journal, IdentifySite(site->Folder())).value(0);
    EXPECT_EQ(run.StateText(), QStringLiteral("已撤销"));
    EXPECT_TRUE(run.Damage().isEmpty()) << run.Damage().join('\n').toStdString();
}

TEST_P(RunDefenceTest, JournalsThatAreNoRegularFilesAreNeitherReadNorWaitedFor)
{
#ifdef _WIN32
    GTEST_SKIP() << "no named pipes or devices in Windows folders";
#else
    site->AddStudents({"A"});
    const QStringList photo{AddPhoto("1.jpg")};
    ASSERT_TRUE(Run({"A"}, photo).EverythingSet());
    const QString lines = LinesFile();
    const QString runFolder = LastRunFolder();
    const SiteState afterRun = site->State();
    const struct {
        const char* name;
        std::function<void()> plant;
    } cases[] = {
        {"a named pipe", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(lines).constData(), 0600), 0); }},
        {"a link to an endless device", [&] { ASSERT_TRUE(QFile::link("/dev/zero", lines)); }},
        {"a link to a journal elsewhere",
         [&] {
             const QString elsewhere = site->WriteScratch("journal.txt", ReadFile(runFolder + "/journal.txt.kept"));
             ASSERT_TRUE(QFile::link(elsewhere, lines));
         }},
        {"larger than any journal",
         [&] {
             WriteFile(lines, {});
             ASSERT_TRUE(QFile::resize(lines, JournalFormat::kMaxLinesBytes + 1));
         }},
    };
    ASSERT_TRUE(QFile::rename(lines, runFolder + "/journal.txt.kept"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(lines);
        c.plant();

        const QList<JournaledRun> runs = JournalRuns(*journal, IdentifySite(site->Folder()));
        ASSERT_EQ(runs.size(), 1);
        EXPECT_EQ(runs[0].StateText(), QStringLiteral("记录已损坏"));
        EXPECT_FALSE(runs[0].unusable.isEmpty());
        const UndoOutcome undone = Undo();
        EXPECT_EQ(undone.result, UndoOutcome::Result::Refused);
        EXPECT_EQ(site->State(), afterRun);
    }

    // Pruning reads each site's site.txt: a pipe there holds nothing up.
    QFile::remove(lines);
    ASSERT_TRUE(QFile::rename(runFolder + "/journal.txt.kept", lines));
    const QString siteFile = QFileInfo(runFolder).path() + "/site.txt";
    QFile::remove(siteFile);
    ASSERT_EQ(::mkfifo(QFile::encodeName(siteFile).constData(), 0600), 0);
    journal = std::make_unique<JournalStore>(dataDir.path(), JournalLimits{.runsPerSite = 1, .lockWaitMs = 0});
    settings.journal = journal.get();
    const AssignmentOutcome next = Run({"A"}, photo);
    EXPECT_TRUE(next.EverythingSet()) << next.message.toStdString();
    EXPECT_EQ(next.prunedRuns.size(), 1);
#endif
}

TEST_P(RunDefenceTest, OneRunOrUndoAtATimePerSite)
{
    site->AddStudents({"A", "B"});
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg")};
    ASSERT_TRUE(Run({"A"}, {photos[0]}).EverythingSet());
    const SiteState afterFirst = site->State();
    {
        // Another run of the site under way, as another process would hold it.
        const SiteLock other = SiteLock::Take(*journal, IdentifySite(site->Folder()));

        const AssignmentOutcome run = Run({"B"}, {photos[1]});
        const UndoOutcome undo = Undo();

        EXPECT_EQ(run.result, Result::Refused);
        EXPECT_EQ(undo.result, UndoOutcome::Result::Refused);
        for (const QString& message : {run.message, undo.message}) {
            EXPECT_TRUE(message.contains(QSysInfo::machineHostName())) << message.toStdString();
            EXPECT_TRUE(message.contains(QDate::currentDate().toString("yyyy-MM-dd"))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("还没有结束"))) << message.toStdString();
        }
        EXPECT_EQ(site->State(), afterFirst);
        EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).size(), 1);
    }
    // A run that died left its note behind, but no lock.
    EXPECT_TRUE(QFileInfo(QFileInfo(LastRunFolder()).path() + "/lock").exists());
    EXPECT_TRUE(Run({"B"}, {photos[1]}).EverythingSet());
    EXPECT_TRUE(Undo().EverythingUndone());
}

// A lock entry swapped for something that is no plain file cannot be
// locked, and a run may still hold the lock on the file it replaced: run
// and undo alike refuse, naming the entry, and change nothing.
TEST_P(RunDefenceTest, LockEntryThatIsNoPlainFileStopsRunAndUndoAlike)
{
    site->AddStudents({"A", "B"});
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg")};
    ASSERT_TRUE(Run({"A"}, {photos[0]}).EverythingSet());
    const SiteState afterFirst = site->State();
    const QString lock = QFileInfo(LastRunFolder()).path() + "/lock";
    const QString outside = site->WriteScratch("outside.txt", "not the lock");
    struct Entry {
        const char* what;
        QString kind;
        std::function<bool()> make;
    };
    const QList<Entry> entries{
        {"a folder", QStringLiteral("一个文件夹"), [&] { return QDir().mkdir(lock); }},
#ifndef _WIN32
        {"a link to a file", QStringLiteral("一个链接"), [&] { return QFile::link(outside, lock); }},
        {"a dangling link", QStringLiteral("一个链接"), [&] { return QFile::link(lock + ".nowhere", lock); }},
        {"a named pipe", QStringLiteral("一个特殊文件"),
         [&] { return ::mkfifo(QFile::encodeName(lock).constData(), 0600) == 0; }},
#endif
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.what);
        ASSERT_TRUE(QFile::remove(lock));
        ASSERT_TRUE(entry.make());

        const AssignmentOutcome run = Run({"B"}, {photos[1]});
        const UndoOutcome undo = Undo();

        EXPECT_EQ(run.result, Result::Refused) << run.message.toStdString();
        EXPECT_EQ(undo.result, UndoOutcome::Result::Refused) << undo.message.toStdString();
        for (const QString& message : {run.message, undo.message}) {
            EXPECT_TRUE(message.contains(QDir::toNativeSeparators(lock))) << message.toStdString();
            EXPECT_TRUE(message.contains(QStringLiteral("不是普通文件，而是") + entry.kind)) << message.toStdString();
        }
        EXPECT_EQ(site->State(), afterFirst);
        EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).size(), 1);
        EXPECT_EQ(ReadFile(outside), "not the lock");
        ASSERT_TRUE(QDir().rmdir(lock) || QFile::remove(lock));
        WriteFile(lock, QByteArray());
    }
    EXPECT_TRUE(Undo().EverythingUndone());
}

TEST_P(RunDefenceTest, PruningLeavesASiteWithARunUnderWayAloneAndTellsWhatWent)
{
    site->AddStudents({"A"});
    const QStringList photo{AddPhoto("1.jpg")};
    ASSERT_TRUE(Run({"A"}, photo).EverythingSet());
    const QString otherRun = JournalRuns(*journal, IdentifySite(site->Folder())).value(0).id;
    const std::unique_ptr<TestSite> otherSite = std::move(site);
    site = std::make_unique<TestSite>(GetParam());
    site->AddStudents({"A"});
    journal = std::make_unique<JournalStore>(dataDir.path(), JournalLimits{.totalBytes = 1, .lockWaitMs = 0});
    settings.journal = journal.get();
    {
        const SiteLock underWay = SiteLock::Take(*journal, IdentifySite(otherSite->Folder()));
        const AssignmentOutcome outcome = Run({"A"}, photo);
        ASSERT_TRUE(outcome.EverythingSet()) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.prunedRuns.isEmpty());
        EXPECT_EQ(JournalRuns(*journal, IdentifySite(otherSite->Folder())).value(0).id, otherRun);
        EXPECT_TRUE(PrunedRuns(*journal, IdentifySite(otherSite->Folder())).isEmpty());
    }
    const AssignmentOutcome later = Run({"A"}, photo);
    EXPECT_EQ(later.prunedRuns.size(), 2);
    EXPECT_TRUE(JournalRuns(*journal, IdentifySite(otherSite->Folder())).isEmpty());
    const QStringList pruned = PrunedRuns(*journal, IdentifySite(otherSite->Folder()));
    ASSERT_EQ(pruned.size(), 1);
    EXPECT_TRUE(pruned[0].startsWith(QDate::currentDate().toString("yyyy-MM-dd"))) << pruned[0].toStdString();
    EXPECT_TRUE(pruned[0].contains(QStringLiteral("删除于"))) << pruned[0].toStdString();
}

TEST_P(RunDefenceTest, LinksSwappedInBetweenCheckAndUseLeadNowhere)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege Windows users lack";
#else
    site->AddStudents({"K1", "K2"});
    const QString secret = site->WriteScratch("secret.txt", "kept outside the site");
    ASSERT_TRUE(QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions secretPermissions = QFileInfo(secret).permissions();
    WriteFile(site->SitePhotoFolder() + "K1.jpg", "K1's photo before");
    WriteFile(site->SitePhotoFolder() + "K2.jpg", "K2's photo before");
    // K1: the new file swapped for a link to the secret before its permissions are set and it is renamed.
    settings.beforeRename = [&](const QString& newFile) {
        if (!newFile.startsWith("K1.jpg"))
            return;
        const QString path = site->SitePhotoFolder() + newFile;
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(secret, path));
    };
    // K2: its photo swapped for a link to the secret after it was looked at.
    settings.beforeOpeningDestination = [&](const QString& destination) {
        if (!destination.endsWith("K2.jpg"))
            return;
        QFile::remove(destination);
        ASSERT_TRUE(QFile::link(secret, destination));
    };

    const AssignmentOutcome outcome = Run({"K1", "K2"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")});

    EXPECT_EQ(QFileInfo(secret).permissions(), secretPermissions);
    EXPECT_EQ(ReadFile(secret), QByteArray("kept outside the site"));
    EXPECT_EQ(Codes(outcome.notCopied), (QStringList{"K1", "K2"}));
    EXPECT_FALSE(QFileInfo(site->SitePhotoFolder() + "K1.jpg").isSymLink());
    EXPECT_FALSE(ReadFile(LastRunFolder() + "/old-photos.bin").contains("kept outside the site"));
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"K1", ""}, {"K2", ""}}));
    // Undo never reads or writes through the link left at K2.
    const UndoOutcome undone = Undo(UndoMode::Force);
    EXPECT_EQ(ReadFile(secret), QByteArray("kept outside the site"));
    EXPECT_EQ(QFileInfo(site->SitePhotoFolder() + "K2.jpg").symLinkTarget(), secret);
#endif
}

// A link swapped in under the new photo's name goes in place of the old
// photo when renamed, and is taken away again: the old photo is put back,
// the message says so, and the undo of the run needs no forcing.
TEST_P(RunDefenceTest, OldPhotoTakenAwayByALinkSwappedInIsPutBack)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege Windows users lack";
#else
    site->AddStudents({"K1", "K2"});
    const QString outside = site->WriteScratch("outside.jpg", "kept outside the site");
    ASSERT_TRUE(Run({"K1", "K2"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")}).EverythingSet());
    const QByteArray k1Before = SitePhoto("K1");
    const QByteArray k2Before = SitePhoto("K2");
    const SiteState before = site->State();
    for (const bool dangling : {false, true}) {
        SCOPED_TRACE(dangling ? "a dangling link" : "a link to a file");
        settings.beforeRename = [&](const QString& newFile) {
            if (!newFile.startsWith("K1.jpg"))
                return;
            const QString path = site->SitePhotoFolder() + newFile;
            QFile::remove(path);
            ASSERT_TRUE(QFile::link(dangling ? outside + ".nowhere" : outside, path));
        };

        const AssignmentOutcome outcome = Run({"K1", "K2"}, {AddPhoto("3.jpg"), AddPhoto("4.jpg")});

        EXPECT_EQ(Codes(outcome.notCopied), QStringList{"K1"});
        EXPECT_EQ(Codes(outcome.oldPhotoPutBack), QStringList{"K1"});
        EXPECT_TRUE(outcome.message.contains(QStringLiteral("原有照片在复制时被删除，已放回原处：K1")))
            << outcome.message.toStdString();
        EXPECT_TRUE(outcome.details.contains(QStringLiteral("原有照片已放回"))) << outcome.details.toStdString();
        EXPECT_FALSE(QFileInfo(site->SitePhotoFolder() + "K1.jpg").isSymLink());
        EXPECT_EQ(SitePhoto("K1"), k1Before);
        EXPECT_EQ(ReadFile(outside), "kept outside the site");
        EXPECT_NE(SitePhoto("K2"), k2Before);

        settings.beforeRename = {};
        const UndoOutcome undone = Undo();
        EXPECT_TRUE(undone.EverythingUndone()) << undone.message.toStdString();
        EXPECT_EQ(site->State(), before);
    }
#endif
}

TEST_P(RunDefenceTest, PhotoOrJournalFolderLeadingOutsideIsRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege Windows users lack";
#else
    site->AddStudents({"A"});
    const QStringList photo{AddPhoto("1.jpg")};
    const QString outside = site->Scratch("outside");
    ASSERT_TRUE(QDir().mkpath(outside));

    // The photo folder a link to a folder outside the site.
    const QString photos = site->SitePhotoFolder();
    ASSERT_TRUE(QDir(photos).removeRecursively());
    ASSERT_TRUE(QFile::link(outside, photos.chopped(1)));
    const AssignmentOutcome viaPhotoFolder = Run({"A"}, photo);
    EXPECT_EQ(viaPhotoFolder.result, Result::Failed);
    EXPECT_TRUE(viaPhotoFolder.failureReason.contains(QStringLiteral("指向网站之外的链接")))
        << viaPhotoFolder.message.toStdString();
    EXPECT_TRUE(QDir(outside).isEmpty());
    EXPECT_EQ(site->Photos().value("A"), QString());

    // The journal folder a link to a folder outside the data folder.
    ASSERT_TRUE(QFile::remove(photos.chopped(1)));
    ASSERT_TRUE(QDir().mkpath(photos));
    ASSERT_TRUE(QDir(dataDir.path() + "/journal").removeRecursively());
    ASSERT_TRUE(QFile::link(outside, dataDir.path() + "/journal"));
    const AssignmentOutcome viaJournal = Run({"A"}, photo);
    EXPECT_EQ(viaJournal.result, Result::Failed);
    EXPECT_TRUE(viaJournal.message.contains(QStringLiteral("无法建立撤销记录"))) << viaJournal.message.toStdString();
    EXPECT_TRUE(QDir(outside).isEmpty());
    EXPECT_EQ(site->Photos().value("A"), QString());
#endif
}

TEST_P(RunDefenceTest, PhotosChangedSinceThePlanAreNotWritten)
{
    site->AddStudents({"A", "B", "C"});
    const PlanOutcome planned = Plan({"A", "B", "C"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg"), AddPhoto("3.jpg")});
    ASSERT_TRUE(planned.plan);
    // After the proof sheet: A's photo replaced by a landscape, C's by B's (swapped).
    AddPhoto("1.jpg", kLandscape);
    WriteFile(photoFolder + "3.jpg", ReadFile(TestDataPath(kSquare)));

    const AssignmentOutcome outcome = RunAssignment(*planned.plan, query, settings);

    EXPECT_EQ(outcome.result, Result::Completed);
    EXPECT_FALSE(outcome.EverythingSet());
    EXPECT_EQ(Codes(outcome.changedSincePlan), (QStringList{"A", "C"}));
    EXPECT_EQ(outcome.changedSincePlan.value(0).reason, QStringLiteral("图片 1.jpg 在核对之后被改动过，没有写入"));
    EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("2 名学生没有设置照片。其余 1 名学生的照片已设置")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(
        QStringLiteral("图片在核对之后被改动过，没有复制，数据库中的记录未改动（2 名）：A、C")))
        << outcome.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(site->SitePhotoFolder() + "A.jpg"));
    EXPECT_FALSE(QFileInfo::exists(site->SitePhotoFolder() + "C.jpg"));
    EXPECT_EQ(SitePhoto("B"), ReadFile(photoFolder + "2.jpg"));
    EXPECT_EQ(site->Photos(), (QMap<QString, QString>{{"A", ""}, {"B", "/upload/StudentPhoto/B.jpg"}, {"C", ""}}));
}

// Web.config names the database; one changed between the proof sheet and the
// run could lead the run into another school's database. Another site's
// database holding the same students stands ready to be written into.
TEST_P(RunDefenceTest, ARunWhoseWebConfigChangedSinceThePlanIsRefusedAndChangesNothing)
{
    site->AddStudents({"A", "B"});
    const TestSite other(GetParam());
    other.AddStudents({"A", "B"});
    const QStringList photos{AddPhoto("1.jpg"), AddPhoto("2.jpg")};
    const struct {
        const char* name;
        std::function<QByteArray()> webConfig;
    } cases[] = {
        {"another database", [&] { return other.DefaultWebConfig(); }},
        {"another user id", [&] { return site->DefaultWebConfig().replace("uid=", "uid=someone-"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        site->WriteWebConfig(site->DefaultWebConfig());
        const PlanOutcome planned = Plan({"A", "B"}, photos);
        ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
        site->WriteWebConfig(c.webConfig());
        const SiteState before = site->State();
        const SiteState otherBefore = other.State();

        const AssignmentOutcome outcome = RunAssignment(*planned.plan, query, settings);

        EXPECT_EQ(outcome.result, Result::Failed);
        EXPECT_EQ(outcome.failureReason, QStringLiteral("网站的 Web.config 在核对之后改变了，请重新设置"))
            << outcome.message.toStdString();
        EXPECT_EQ(outcome.studentsDone, 0);
        EXPECT_EQ(site->State(), before);
        EXPECT_EQ(other.State(), otherBefore);
        EXPECT_TRUE(JournalRuns(*journal, IdentifySite(site->Folder())).isEmpty());
    }
}

// An undo puts back the values of the database the run wrote; a Web.config
// that now names another one (the site moved, or another school's copy) is
// refused before anything is touched, and the run stays there to be undone.
TEST_P(RunDefenceTest, AnUndoWhenWebConfigNowNamesAnotherDatabaseIsRefused)
{
    site->AddStudents({"A", "B"});
    site->Execute("update studentbaseinfo set photo = '/old/B.jpg' where studentcode = 'B'");
    WriteFile(site->SitePhotoFolder() + "B.jpg", "B's old photo");
    const SiteState before = site->State();
    ASSERT_TRUE(Run({"A", "B"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")}).EverythingSet());
    // The other database's rows hold what the run wrote: an undo let through
    // would find them as the run left them and put the old values there.
    const TestSite other(GetParam());
    other.AddStudents({"A", "B"});
    other.Execute("update studentbaseinfo set photo = '/upload/StudentPhoto/' || studentcode || '.jpg'");
    site->WriteWebConfig(other.DefaultWebConfig());
    const SiteState afterRun = site->State();
    const SiteState otherBefore = other.State();

    const UndoOutcome refused = Undo(UndoMode::Force);

    EXPECT_EQ(refused.result, UndoOutcome::Result::Refused);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("网站的 Web.config 现在指向")))
        << refused.message.toStdString();
    EXPECT_TRUE(refused.message.endsWith(QStringLiteral("没有撤销任何内容。"))) << refused.message.toStdString();
    EXPECT_EQ(site->State(), afterRun);
    EXPECT_EQ(other.State(), otherBefore);
    EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).value(0).StateText(), QStringLiteral("完整"));

    site->WriteWebConfig(site->DefaultWebConfig());
    const UndoOutcome undone = Undo();
    EXPECT_TRUE(undone.EverythingUndone()) << undone.message.toStdString();
    EXPECT_EQ(site->State(), before);
}

TEST_P(RunDefenceTest, ARunThatSetNobodyNeverSaysDone)
{
    site->AddStudents({"A", "B"});
    // Destinations that cannot be replaced, as a read-only photo folder gives.
    ASSERT_TRUE(QDir(site->SitePhotoFolder()).mkdir("A.jpg"));
    ASSERT_TRUE(QDir(site->SitePhotoFolder()).mkdir("B.jpg"));

    const AssignmentOutcome outcome = Run({"A", "B"}, {AddPhoto("1.jpg"), AddPhoto("2.jpg")});

    EXPECT_EQ(outcome.result, Result::Completed);
    EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("2 名学生没有设置照片。\n\n")))
        << outcome.message.toStdString();
    EXPECT_FALSE(outcome.message.contains(QStringLiteral("完成"))) << outcome.message.toStdString();
    EXPECT_EQ(outcome.statusText, QStringLiteral("2 名学生未设置"));
    EXPECT_EQ(JournalRuns(*journal, IdentifySite(site->Folder())).value(0).StateText(), QStringLiteral("部分完成"));
}

TEST_P(RunDefenceTest, CodesTheDatabaseFoldsAreWarnedAndMarked)
{
    site->AddStudents({"2023000001", "2023000002"});
    const PlanOutcome planned = Plan({QStringLiteral("２０２３０００００１"), QStringLiteral("2023000002\u3000")},
                                     {AddPhoto("1.jpg"), AddPhoto("2.jpg")});

    ASSERT_TRUE(planned.plan) << planned.stopped.message.toStdString();
    for (const PlanRow& row : planned.plan->rows) {
        SCOPED_TRACE(row.line);
        EXPECT_TRUE(row.warnings.testFlag(PlanWarning::CodeNeedsFolding));
        EXPECT_TRUE(ViewOfPlanRow(row)[PlanColumn::Code].text.startsWith(QStringLiteral("≈")));
    }
    EXPECT_EQ(ViewOfPlanRow(planned.plan->rows[1])[PlanColumn::Code].text, QStringLiteral("≈2023000002[U+3000]"));
    // These databases compare exactly (SQL Server's usual collations would find the student).
    EXPECT_TRUE(ViewOfPlanRow(planned.plan->rows[0])[PlanColumn::Warnings].text.endsWith(
        QStringLiteral("学籍号含全角字符或特殊空白（按“2023000001”比较）")));
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Database, RunDefenceTest, ::testing::Values(Backend::SP_TEST_BACKEND),
                         [](const auto& info) { return std::string(BackendName(info.param)); });
INSTANTIATE_TEST_SUITE_P(Database, DamagedJournalTest, ::testing::Values(Backend::SP_TEST_BACKEND),
                         [](const auto& info) { return std::string(BackendName(info.param)); });
