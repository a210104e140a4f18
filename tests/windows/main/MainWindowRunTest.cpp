// The main window's roster, photo list, assignment run, proof sheet and
// undo, driven through its buttons with scripted dialogs, against an SQLite
// site.
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/run/AssignmentRun.h"
#include "assignment/run/PlanMaking.h"
#include "assignment/views/PlanRowView.h"
#include "faces/FaceDetector.h"
#include "files/FolderString.h"
#include "platform/settings/InstallationFolderStore.h"
#include "support/MessageTexts.h"
#include "support/PaintCounter.h"
#include "support/QtPrinters.h"
#include "support/RecordingDialogs.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"
#include "widgets/ListBoxItems.h"
#include "windows/main/Form1.h"
#include "windows/main/ProofSheet.h"
#include "windows/main/ProofSheetAnswers.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace MessageTexts;

namespace {

const QString kRosterFailed = QStringLiteral("读入数据失败，请确定数据格式是否正确！ ");

// Answers the proof sheet in the user's place and keeps the plans shown.
class RecordingReview final : public PlanReview {
public:
    std::optional<AssignmentPlan> Approve(QWidget*, const AssignmentPlan& plan) override
    {
        plans << plan;
        if (whileShown)
            whileShown();
        if (!approve)
            return std::nullopt;
        return plan;
    }
    QList<AssignmentPlan> plans;
    bool approve = true;
    std::function<void()> whileShown; // what happens while the user looks at the sheet
};

class MainWindowRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.UseOdbcDriver(site.OdbcDriver());
        form.UsePlanReview(review);
        form.UseJournal(JournalStore(dataFolder.path()));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void LoadRoster(const QByteArray& bytes)
    {
        dialogs.fileAnswers.push_back(site.WriteScratch("roster.txt", bytes));
        QTest::mouseClick(Controls(form).Button4, Qt::LeftButton);
    }

    void LoadPhotos(const QStringList& files)
    {
        dialogs.filesAnswers.push_back(files);
        QTest::mouseClick(Controls(form).Button2, Qt::LeftButton);
    }

    TestSite site{Backend::SQLite};
    QString photoFolder = site.Scratch("photos/");
    QTemporaryDir settingsFolder;
    InstallationFolderStore store = InstallationFolderStore::AtFile(settingsFolder.filePath("Mirelund.conf"));
    QTemporaryDir dataFolder;
    RecordingDialogs dialogs;
    RecordingReview review;
    TForm1 form{dialogs, store};
};

TEST_F(MainWindowRun, Button4LoadsTheRosterIntoListAndCountsOrEmptiesTheListOnly)
{
    // 学生乙 in GB18030, after a UTF-8 mark.
    LoadRoster("\xEF\xBB\xBF"
               "001\r\n"
               "\xD1\xA7\xC9\xFA\xD2\xD2"
               "\r\n\r\n004\n");

    EXPECT_EQ(dialogs.filtersAsked, QStringList{QStringLiteral("支持的文件(txt)|*.txt")});
    EXPECT_EQ(ItemTexts(*Controls(form).ListBox1), (QStringList{"001", "学生乙", "", "004"}));
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("共有 4 学生"));
    EXPECT_EQ(Controls(form).Gauge1->MaxValue(), 4);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Cancelled: the roster stays, the gauge's maximum is set to it again.
    Controls(form).Gauge1->SetMaxValue(100);
    QTest::mouseClick(Controls(form).Button4, Qt::LeftButton);
    EXPECT_EQ(Controls(form).ListBox1->count(), 4);
    EXPECT_EQ(Controls(form).Gauge1->MaxValue(), 4);

    // A file that cannot be read empties the list; the counts stay.
    dialogs.fileAnswers.push_back(site.Scratch("absent.txt"));
    QTest::mouseClick(Controls(form).Button4, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{kRosterFailed + "\n找不到文件 " + site.Scratch("absent.txt")});
    EXPECT_EQ(Controls(form).ListBox1->count(), 0);
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("共有 4 学生"));
    EXPECT_EQ(Controls(form).Gauge1->MaxValue(), 4);

    LoadRoster("");
    EXPECT_EQ(Controls(form).ListBox1->count(), 0);
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("共有 0 学生"));
    EXPECT_EQ(Controls(form).Gauge1->MaxValue(), 0);
}

TEST_F(MainWindowRun, Button2TakesTheChosenPhotosInListingOrder)
{
    LoadPhotos(
        {site.ScratchPhoto("10.jpg"), site.ScratchPhoto("2.JPG"), site.ScratchPhoto("1.bmp", "bmpsuite/g/rgb24.bmp")});

    EXPECT_EQ(dialogs.filtersAsked, QStringList{QStringLiteral("支持的文件(JPG,BMP)|*.JPG;*.BMP")});
    EXPECT_EQ(Controls(form).Edit3->text(), QDir::toNativeSeparators(photoFolder));
    EXPECT_EQ(ItemTexts(*Controls(form).ListBox2), (QStringList{"1.bmp", "2.JPG", "10.jpg"}));
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(1), QStringLiteral("共有 3 图片"));

    // Cancelled: nothing changes.
    QTest::mouseClick(Controls(form).Button2, Qt::LeftButton);
    EXPECT_EQ(Controls(form).ListBox2->count(), 3);
    EXPECT_EQ(Controls(form).Edit3->text(), QDir::toNativeSeparators(photoFolder));
}

TEST_F(MainWindowRun, Button5ChecksItsInputsFirst)
{
    const auto clickWith = [&](const QString& folder, const QByteArray& roster, const QStringList& photos) {
        Controls(form).Edit1->setText(folder);
        LoadRoster(roster);
        if (photos.isEmpty())
            Controls(form).Edit3->clear();
        else
            LoadPhotos(photos);
        Controls(form).StatusBar1->SetPanelText(0, "before");
        Controls(form).Gauge1->SetProgress(1);
        QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
        EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("before"));
        EXPECT_EQ(Controls(form).Gauge1->Progress(), 1);
    };
    clickWith(TForm1::kFolderNotChosen, "1\n", {site.ScratchPhoto("1.jpg")});
    clickWith(site.Folder(), "1\n", {});
    clickWith(site.Folder(), "1\n2\n", {site.ScratchPhoto("1.jpg")});

    EXPECT_EQ(dialogs.messages, (QStringList{kFolderNotChosen, kNoPhotos, kCountsDiffer + "\n学生 2 名，图片 1 张"}));

    // An empty folder text (a remembered key without a value) counts as chosen:
    // the run fails on its missing Web.config instead.
    Controls(form).Edit1->setText(QString());
    LoadRoster("1\n");
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.last().startsWith(kFailed)) << dialogs.messages.last().toStdString();
    EXPECT_TRUE(QDir(site.SitePhotoFolder()).isEmpty());
}

TEST_F(MainWindowRun, Button5ShowsThePlanAndAssignsThePhotosOnlyWhenApproved)
{
    site.AddStudents({"S01", "S02", "S03"});
    Controls(form).Edit1->setText(site.Folder());
    LoadRoster("S01\r\nS02\r\nS03\r\n");
    LoadPhotos(
        {site.ScratchPhoto("3.bmp", "bmpsuite/g/rgb24.bmp"), site.ScratchPhoto("1.jpg"), site.ScratchPhoto("2.jpg")});
    PaintCounter counter(Controls(form).Gauge1);

    // Cancelled on the proof sheet: nothing written, nothing said but in
    // the panel, where an older run's outcome would mislead.
    Controls(form).StatusBar1->SetPanelText(0, kDoneStatus);
    Controls(form).Gauge1->SetProgress(3);
    review.approve = false;
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(review.plans.size(), 1);
    EXPECT_EQ(review.plans[0].rows.value(2).photoName, QStringLiteral("3.bmp"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), TForm1::kCancelledStatus);
    EXPECT_EQ(Controls(form).Gauge1->Progress(), 0);
    EXPECT_TRUE(QDir(site.SitePhotoFolder()).isEmpty());
    EXPECT_EQ(site.Photos().value("S01"), QString());

    review.approve = true;
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{kDone});
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), kDoneStatus);
    EXPECT_EQ(Controls(form).Gauge1->PercentDone(), 100);
    // The gauge drew itself for each student.
    EXPECT_GE(counter.count, 3);
    EXPECT_EQ(site.Photos(), (QMap<QString, QString>{{"S01", "/upload/StudentPhoto/S01.jpg"},
                                                     {"S02", "/upload/StudentPhoto/S02.jpg"},
                                                     {"S03", "/upload/StudentPhoto/S03.jpg"}}));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "S03.jpg"), ReadFile(TestDataPath("bmpsuite/g/rgb24.bmp")));

    // A second run in the same session, after the site lost its Web.config:
    // the gauge no longer shows the first run's 100 %.
    QFile::remove(site.Folder() + "Web.config");
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.value(1).startsWith(kFailed + "\n\n出错原因：找不到配置文件"));
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), kFailedStatus);
    EXPECT_EQ(Controls(form).Gauge1->Progress(), 0);
    EXPECT_EQ(review.plans.size(), 2);

    // And once more with it back (every run opens afresh), one photo gone:
    // the status no longer says everything was set, the details name why.
    site.WriteWebConfig(site.DefaultWebConfig());
    QFile::remove(photoFolder + "2.jpg");
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.value(2), "1 名学生没有设置照片。其余 2 名学生的照片已设置，请重新启动IIS。"
                                         "\n\n图片未能复制，数据库中的记录未改动（1 名）：S02");
    EXPECT_EQ(dialogs.details.value(2),
              QStringLiteral("图片未能复制：\n第 2 行 S02：图片 2.jpg 无法读取（图片文件不存在）"));
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("1 名学生未设置"));
}

TEST_F(MainWindowRun, ThePairingComboPairsByFileNameOrByIndexFile)
{
    site.AddStudents({"S01", "S02", "S03"});
    Controls(form).Edit1->setText(site.Folder());
    EXPECT_EQ(Controls(form).pairingCombo->currentText(), QStringLiteral("按顺序"));
    LoadRoster("S01\r\nS02\r\nS03\r\n");
    const QString s3 = site.ScratchPhoto("s03.bmp", "bmpsuite/g/rgb24.bmp");
    const QString s1 = site.ScratchPhoto("S01.jpg");
    const QString extra = site.ScratchPhoto("S99.jpg");

    // By name: more photos than codes in any order; the code without a
    // photo and the photo without a code are noticed in the plan.
    Controls(form).pairingCombo->setCurrentIndex(1);
    LoadPhotos({extra, s3, s1});
    review.approve = false;
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(review.plans.size(), 1) << dialogs.messages.join('\n').toStdString();
    const AssignmentPlan& plan = review.plans[0];
    ASSERT_EQ(plan.rows.size(), 2);
    EXPECT_EQ(plan.rows[1].line, 3);
    EXPECT_EQ(plan.rows[1].photoName, QStringLiteral("s03.bmp"));
    EXPECT_EQ(plan.notices, (QStringList{"1 个学籍号没有照片，不会设置：“S02”（第 2 行）",
                                         "1 张照片的文件名不是名单中的学籍号，不会使用：“S99.jpg”"}));
    EXPECT_TRUE(PlanSummary(plan).endsWith(plan.notices.join('\n')));

    // By index: Button2 loads the index, the photo list shows its photos.
    Controls(form).pairingCombo->setCurrentIndex(2);
    EXPECT_TRUE(Controls(form).Edit3->text().isEmpty());
    EXPECT_EQ(Controls(form).Button2->text(), QStringLiteral("载入对照表"));
    const QString index = site.WriteScratch("photos/index.csv", "S99.jpg,S02\nS01.jpg,S01\ns03.bmp,S03\n");
    dialogs.fileAnswers.push_back(index);
    QTest::mouseClick(Controls(form).Button2, Qt::LeftButton);
    EXPECT_EQ(ItemTexts(*Controls(form).ListBox2), (QStringList{"S99.jpg", "S01.jpg", "s03.bmp"}));
    review.approve = true;
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.value(0), kDone);
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "S02.jpg"), ReadFile(extra));
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "S03.jpg"), ReadFile(s3));
    EXPECT_EQ(Controls(form).Gauge1->PercentDone(), 100);

    // A broken index is refused as it is loaded and leaves the last one.
    dialogs.fileAnswers.push_back(site.WriteScratch("photos/bad.txt", "S01 a.jpg\n"));
    QTest::mouseClick(Controls(form).Button2, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.value(1).startsWith(QStringLiteral("读入对照表失败：对照表第 1 行没有分隔符")));
    EXPECT_EQ(Controls(form).Edit3->text(), QDir::toNativeSeparators(index));

    // Back to a photo list: the index is not taken for one.
    Controls(form).pairingCombo->setCurrentIndex(0);
    EXPECT_TRUE(Controls(form).ListBox2->count() == 0 && Controls(form).Edit3->text().isEmpty());
    EXPECT_EQ(Controls(form).Button2->text(), QStringLiteral("载入图片"));
}

TEST_F(MainWindowRun, APhotoDayIsTakenWithItsRosterPairedByFileNameAndItsAbsentStudentsNamed)
{
    site.AddStudents({"S01", "S02", "S03"});
    Controls(form).Edit1->setText(site.Folder());
    site.ScratchPhoto("S01.jpg");
    site.WriteScratch("photos/拍照进度.json", "{}");
    Controls(form).pairingCombo->setCurrentIndex(2);
    form.TakePhotoDay({"S01", "S02", "S03"}, photoFolder, {"S02"});
    EXPECT_EQ(ItemTexts(*Controls(form).ListBox1), (QStringList{"S01", "S02", "S03"}));
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("共有 3 学生"));
    EXPECT_EQ(form.Pairing(), PairingMode::FileName);
    EXPECT_EQ(Controls(form).pairingCombo->currentText(), QStringLiteral("按文件名"));
    EXPECT_EQ(Controls(form).Edit3->text(), FolderString(photoFolder));
    EXPECT_EQ(ItemTexts(*Controls(form).ListBox2), QStringList{"S01.jpg"});
    EXPECT_EQ(Controls(form).Button2->text(), QStringLiteral("载入图片"));

    // The absent student is named so in the plan, not among the photos missing.
    review.approve = false;
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(review.plans.size(), 1) << dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(review.plans[0].rows.size(), 1);
    EXPECT_EQ(review.plans[0].notices,
              (QStringList{"1 个学籍号没有照片，不会设置：“S03”（第 3 行）", "缺席 1 名，不会设置：“S02”（第 2 行）"}));

    // Another roster, even of the same codes, is not the day's record.
    LoadRoster("S01\r\nS02\r\nS03\r\n");
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(review.plans.size(), 2);
    EXPECT_EQ(review.plans[1].notices, QStringList{"2 个学籍号没有照片，不会设置：“S02”（第 2 行）、“S03”（第 3 行）"});
}

TEST_F(MainWindowRun, ThePhotoDayLooksStudentsUpOnTheChosenSite)
{
    site.AddStudents({"S01"});
    site.Execute("update studentbaseinfo set name = '张伟' where studentcode = 'S01'");
    try {
        form.LookUpStudents({"S01"});
        ADD_FAILURE() << "no site chosen, nothing to look up";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("还没有选择网站的安装文件夹。"));
    }
    Controls(form).Edit1->setText(site.Folder());
    const QHash<QString, StudentCard> cards = form.LookUpStudents({"S01", "S02"});
    EXPECT_EQ(cards.keys(), QStringList{"S01"});
    EXPECT_EQ(cards.value("S01").name, QStringLiteral("张伟"));
}

TEST_F(MainWindowRun, APhotoChangedWhileTheProofSheetWasShownIsNotWrittenAndTheMessageSaysSo)
{
    site.AddStudents({"S01", "S02"});
    Controls(form).Edit1->setText(site.Folder());
    LoadRoster("S01\r\nS02\r\n");
    const QString second = site.ScratchPhoto("2.jpg");
    LoadPhotos({site.ScratchPhoto("1.jpg"), second});
    review.whileShown = [&] { WriteFile(second, ReadFile(TestDataPath("jpeg/photos/concert.jpg"))); };

    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages.value(0), "1 名学生没有设置照片。其余 1 名学生的照片已设置，请重新启动IIS。"
                                         "\n\n图片在核对之后被改动过，没有复制，数据库中的记录未改动（1 名）：S02");
    EXPECT_EQ(dialogs.details.value(0),
              QStringLiteral("图片在核对之后被改动过：\n第 2 行 S02：图片 2.jpg 在核对之后被改动过，没有写入"));
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("1 名学生未设置"));
    EXPECT_FALSE(QFile::exists(site.SitePhotoFolder() + "S02.jpg"));
    EXPECT_EQ(site.Photos().value("S02"), QString());
}

TEST_F(MainWindowRun, Button5RunsThePlanAsTheProofSheetsReviewGaveItBack)
{
    site.AddStudents({"S01", "S02", "S03"});
    Controls(form).Edit1->setText(site.Folder());
    LoadRoster("S01\nS02\nS03\n");
    LoadPhotos({site.ScratchPhoto("1.jpg"), site.ScratchPhoto("2.jpg"), site.ScratchPhoto("3.jpg")});
    // The review finds the second photo's pixels damaged: the row says so on
    // the sheet, and the run passes that student over.
    ProofSheetReview sheetReview(MadeExamination(PhotoFoundDamaged(1)));
    form.UsePlanReview(sheetReview);
    QString shownWarnings;
    AnswerNextProofSheet(true, [&](TProofSheet& sheet) {
        const QAbstractItemModel& grid = *Controls(sheet).planGrid->model();
        for (int row = 0; row < grid.rowCount(); ++row) {
            if (grid.index(row, int(PlanColumn::Code)).data().toString() == "S02")
                shownWarnings = grid.index(row, int(PlanColumn::Warnings)).data().toString();
        }
    });

    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);

    EXPECT_TRUE(shownWarnings.contains(QStringLiteral("像素无法解码"))) << shownWarnings.toStdString();
    EXPECT_EQ(dialogs.details.value(0),
              QStringLiteral("图片未能复制：\n第 2 行 S02：图片 2.jpg 无法读取（像素无法解码）"));
    EXPECT_EQ(site.Photos(),
              (QMap<QString, QString>{
                  {"S01", "/upload/StudentPhoto/S01.jpg"}, {"S02", ""}, {"S03", "/upload/StudentPhoto/S03.jpg"}}));
    EXPECT_FALSE(QFile::exists(site.SitePhotoFolder() + "S02.jpg"));
}

TEST_F(MainWindowRun, Button5KeepsTheWindowPaintingButOpenDuringTheRun)
{
    site.AddStudents({"S01", "S02"});
    Controls(form).Edit1->setText(site.Folder());
    LoadRoster("S01\nS02\n");
    LoadPhotos({site.ScratchPhoto("1.jpg"), site.ScratchPhoto("2.jpg")});
    // Nothing processes events before the run does: then a part of the window
    // is to be painted again (a window above it moved away) and it is closed.
    PaintCounter labelPaints(Controls(form).Label1);
    bool busy = false, closed = true;
    QTimer::singleShot(0, &form, [&] {
        busy = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        Controls(form).Label1->update();
        closed = form.close();
    });
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);

    EXPECT_EQ(dialogs.messages, QStringList{kDone});
    EXPECT_TRUE(busy);
    EXPECT_GE(labelPaints.count, 1);
    EXPECT_FALSE(closed);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowRun, TheUndoButtonUndoesTheLastRunAfterAskingAndSaysWhatItDid)
{
    Controls(form).Edit1->setText(site.Folder());
    QTest::mouseClick(Controls(form).undoButton, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.value(0), QStringLiteral("这个网站没有可以撤销的设置。"));

    site.AddStudents({"S01", "S02"});
    WriteFile(site.SitePhotoFolder() + "S01.jpg", "S01 before");
    LoadRoster("S01\nS02\n");
    LoadPhotos({site.ScratchPhoto("1.jpg"), site.ScratchPhoto("2.jpg")});
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.value(1), kDone);

    // Asked first; "取消" leaves the run in place.
    QTest::mouseClick(Controls(form).undoButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].contains(QStringLiteral("的设置（完整）：2 名学生，S01、S02")))
        << dialogs.questions[0].toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "S01.jpg"), ReadFile(photoFolder + "1.jpg"));

    dialogs.confirmAnswers.push_back(true);
    QTest::mouseClick(Controls(form).undoButton, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.value(2).endsWith(QStringLiteral("的设置：2 名学生恢复了原来的照片和记录。")))
        << dialogs.messages.value(2).toStdString();
    EXPECT_EQ(ReadFile(site.SitePhotoFolder() + "S01.jpg"), QByteArray("S01 before"));
    EXPECT_FALSE(QFile::exists(site.SitePhotoFolder() + "S02.jpg"));
    EXPECT_EQ(site.Photos(), (QMap<QString, QString>{{"S01", ""}, {"S02", ""}}));
}

TEST_F(MainWindowRun, TheUndoButtonUndoesLikeARunIsMadeGaugePerStudentPaintingButOpen)
{
    site.AddStudents({"S01", "S02", "S03", "S04"});
    Controls(form).Edit1->setText(site.Folder());
    LoadRoster("S01\nS02\nS03\nS04\n");
    LoadPhotos({site.ScratchPhoto("1.jpg"), site.ScratchPhoto("2.jpg"), site.ScratchPhoto("3.jpg"),
                site.ScratchPhoto("4.jpg")});
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.value(0), kDone);
    ASSERT_EQ(Controls(form).Gauge1->PercentDone(), 100);

    // The first time the undo lets events through, the window is looked at:
    // one student undone of four, the wait cursor up; a part of it is to be
    // painted again, and it is closed.
    PaintCounter labelPaints(Controls(form).Label1);
    int firstPercent = -1;
    bool busy = false, closed = true;
    QTimer::singleShot(0, &form, [&] {
        firstPercent = Controls(form).Gauge1->PercentDone();
        busy = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        Controls(form).Label1->update();
        closed = form.close();
    });
    dialogs.confirmAnswers.push_back(true);
    QTest::mouseClick(Controls(form).undoButton, Qt::LeftButton);

    EXPECT_TRUE(dialogs.messages.value(1).endsWith(QStringLiteral("的设置：4 名学生恢复了原来的照片和记录。")))
        << dialogs.messages.value(1).toStdString();
    EXPECT_EQ(firstPercent, 25);
    EXPECT_TRUE(busy);
    EXPECT_GE(labelPaints.count, 1);
    EXPECT_FALSE(closed);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Nothing is left to say that the photos are set.
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), QStringLiteral("已撤销"));
    EXPECT_EQ(Controls(form).Gauge1->Progress(), 0);
    EXPECT_EQ(Controls(form).Gauge1->MaxValue(), 4);
}

TEST_F(MainWindowRun, Button5AsksBeforeRunningWithoutAnUndoRecordAndChangesNothingUnlessTold)
{
    site.AddStudents({"S01"});
    Controls(form).Edit1->setText(site.Folder());
    LoadRoster("S01\n");
    LoadPhotos({site.ScratchPhoto("1.jpg")});
    // A data folder where no folder can be made: a file stands there.
    const QString blocked = site.WriteScratch("not-a-folder", "x");
    form.UseJournal(JournalStore(blocked));

    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions[0].startsWith(QStringLiteral("无法建立撤销记录（")));
    EXPECT_TRUE(dialogs.questions[0].endsWith(QStringLiteral("）。不保留撤销记录继续设置吗？")));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Controls(form).StatusBar1->PanelText(0), TForm1::kCancelledStatus);
    EXPECT_TRUE(QDir(site.SitePhotoFolder()).isEmpty());
    EXPECT_EQ(site.Photos().value("S01"), QString());

    dialogs.confirmAnswers.push_back(true);
    QTest::mouseClick(Controls(form).Button5, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages, QStringList{kDone});
    EXPECT_EQ(site.Photos().value("S01"), QStringLiteral("/upload/StudentPhoto/S01.jpg"));
}

TEST_F(MainWindowRun, ProofSheetPutsWarningsFirstFillsInThumbnailsAndAnswersWithItsButtons)
{
    site.AddStudents({"S01", "S02"});
    const QStringList photos{site.ScratchPhoto("1.jpg", "jpeg/photos/obama_backstage_the_white_house.jpg"),
                             site.ScratchPhoto("2.jpg", "jpeg/photos/concert.jpg"), site.ScratchPhoto("3.jpg")};
    TADOQuery query(site.OdbcDriver());
    const PlanOutcome planned =
        MakeAssignmentPlan({site.Folder(), photoFolder, {"S01", "S02", "S03"}, {"1.jpg", "2.jpg", "3.jpg"}}, query);
    ASSERT_TRUE(planned.plan);

    for (const bool approve : {true, false}) {
        TProofSheet sheet(*planned.plan, SurveyAndCheckFaces(FaceDetector::DefaultCascadeFile()));
        const QAbstractItemModel& model = *Controls(sheet).planGrid->model();
        ASSERT_EQ(model.rowCount(), 3);
        EXPECT_EQ(model.index(0, int(PlanColumn::Code)).data().toString(), QStringLiteral("S02"));
        EXPECT_EQ(model.index(1, int(PlanColumn::Warnings)).data().toString(),
                  QStringLiteral("数据库中没有这名学生；不是 2:3 竖版照片（128×128）"));
        EXPECT_EQ(model.index(2, int(PlanColumn::Code)).data().toString(), QStringLiteral("S01"));
        // Shown, the grid asks for the thumbnails of the rows in view; they arrive later.
        QSignalSpy arrived(&model, &QAbstractItemModel::dataChanged);
        sheet.show();
        while (arrived.size() < 3 && arrived.wait(10000)) { }
        const QPixmap thumbnail = model.index(2, int(PlanColumn::NewPhoto)).data(Qt::DecorationRole).value<QPixmap>();
        EXPECT_EQ(thumbnail.size(), QSize(60, 90));
        // A wider sheet gives the room to the warnings, last; the photo and
        // code columns keep the widths their texts need (both widths are
        // more than the columns need with any fonts).
        const int photoColumn = int(PlanColumn::NewPhoto), codeColumn = int(PlanColumn::Code);
        const int warningsColumn = int(PlanColumn::Warnings);
        sheet.resize(2400, 600);
        QCoreApplication::processEvents();
        const int photo = Controls(sheet).planGrid->columnWidth(photoColumn);
        const int code = Controls(sheet).planGrid->columnWidth(codeColumn);
        const int narrowWarnings = Controls(sheet).planGrid->columnWidth(warningsColumn);
        sheet.resize(3000, 600);
        QCoreApplication::processEvents();
        EXPECT_GE(Controls(sheet).planGrid->columnWidth(warningsColumn), narrowWarnings + 500);
        EXPECT_EQ(Controls(sheet).planGrid->columnWidth(photoColumn), photo);
        EXPECT_EQ(Controls(sheet).planGrid->columnWidth(codeColumn), code);
        // "确定设置" waits for the face checks, which add their warnings.
        if (!sheet.FacesAreChecked()) {
            EXPECT_FALSE(Controls(sheet).approveButton->isEnabled());
            QSignalSpy checked(&sheet, &TProofSheet::FacesChecked);
            EXPECT_TRUE(checked.wait(60000));
        }
        EXPECT_TRUE(Controls(sheet).approveButton->isEnabled());
        EXPECT_FALSE(Controls(sheet).shiftCheckedBox->isVisible());
        QTest::mouseClick(approve ? Controls(sheet).approveButton : Controls(sheet).cancelButton, Qt::LeftButton);
        EXPECT_EQ(sheet.result(), approve ? QDialog::Accepted : QDialog::Rejected);
    }
}

} // namespace
