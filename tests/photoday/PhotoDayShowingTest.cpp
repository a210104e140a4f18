// What the photo day shows and says, the site's students it reads once, and
// its save step: on real sessions in a temporary folder.
#include "assignment/views/Thumbnail.h"
#include "photoday/PhotoDaySession.h"
#include "photoday/PhotoDayTexts.h"
#include "photoday/SaveStudentPhoto.h"
#include "photoday/Shot.h"
#include "photoday/SiteStudents.h"
#include "photoday/StudentPanel.h"
#include "picture/PictureByContent.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "picture/TPicture.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/SavedPhotos.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The picture of that size, its left half one colour and its right half another.
void PaintHalves(TBitmap& picture, int width, int height, TColor left, TColor right)
{
    picture.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.Canvas().SetPixel(x, y, x < width / 2 ? left : right);
    }
}

std::vector<std::uint8_t> Bytes(const QByteArray& file)
{
    return {file.cbegin(), file.cend()};
}

class PhotoDayShowing : public testing::Test {
protected:
    QString Folder() const { return folder_.filePath("day"); }
    QString FileIn(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
};

TEST_F(PhotoDayShowing, RosterLinesAndPositionFollowTheDay)
{
    PhotoDaySession day({"001", "002", "003", "004"}, Folder());
    const SiteStudents students = SiteStudents::Read(
        [](const QStringList&) {
            return QHash<QString, StudentCard>{{"001", {Text("张伟"), {}}}, {"003", {{}, {}}}};
        },
        day.Codes());
    const auto lines = [&] {
        QStringList shown;
        for (qsizetype i = 0; i < day.Count(); ++i)
            shown << RosterLine(day, i, students);
        return shown;
    };
    EXPECT_EQ(lines(), (QStringList{Text("　 001　张伟"), Text("　 002"), Text("　 003"), Text("　 004")}));
    EXPECT_EQ(PositionLine(day), Text("第 1 / 4 名　001"));

    day.SavePhotos("photo", "frame", QDateTime::currentDateTime(), {});
    day.Absent();
    EXPECT_EQ(lines(), (QStringList{Text("√ 001　张伟"), Text("缺 002"), Text("　 003"), Text("　 004")}));
    EXPECT_EQ(PositionLine(day), Text("第 3 / 4 名　003"));
    day.JumpTo(3);
    // Saved despite the checks: marked, and counted.
    day.SavePhotos("photo", "frame", QDateTime::currentDateTime(), {Text("照片模糊")});
    EXPECT_EQ(lines().last(), Text("！ 004"));
    EXPECT_EQ(PositionLine(day), Text("名单已拍完（共 4 名）"));
    EXPECT_EQ(RosterEndMessage(day), Text("名单上的学生都已轮到：已拍 2 名（其中 1 名的照片有问题仍保存），缺席 1 "
                                          "名：002，还有 1 名没有拍。点击“交给主窗口”设置照片。"));

    // Reopened, the day says how far it had come (a photographed student
    // counts while the photo is there).
    PhotoDaySession resumed({"001", "002", "003", "004"}, Folder());
    EXPECT_EQ(ResumedMessage(resumed),
              Text("接着上次的进度拍照：已拍 2 名（其中 1 名的照片有问题仍保存），缺席 1 名。"));
    ASSERT_TRUE(QFile::remove(day.PhotoPath(3)));
    EXPECT_EQ(ResumedMessage(PhotoDaySession({"001", "002", "003", "004"}, Folder())),
              Text("接着上次的进度拍照：已拍 1 名，缺席 1 名。"));
}

TEST_F(PhotoDayShowing, TheHandOverAsksWithTheCountsAndTheCodes)
{
    QStringList codes;
    for (int i = 1; i <= 30; ++i)
        codes << QStringLiteral("S%1").arg(i, 2, 10, QChar(u'0'));
    PhotoDaySession day(codes, Folder());
    for (int i = 0; i < 5; ++i)
        day.SavePhotos("photo", "frame", QDateTime::currentDateTime(), {});
    day.Absent(); // S06
    day.SavePhotos("photo", "frame", QDateTime::currentDateTime(), {Text("不像网站上这名学生现有的照片")});
    const HandOverQuestion question = HandOverQuestionOf(day);
    EXPECT_EQ(question.text,
              Text("已拍 6 名（其中 1 名的照片有问题仍保存），缺席 1 名，未轮到 23 名。\n"
                   "缺席：S06\n"
                   "未轮到：S08、S09、S10、S11、S12、S13、S14、S15、S16、S17 等 23 名\n\n"
                   "主窗口将得到这份名单和照片文件夹，按文件名对应照片；缺席的学生在核对表中标为“缺席”。"));
    // Every code is in the details.
    EXPECT_TRUE(question.details.startsWith(Text("缺席（1 名）：\nS06\n\n未轮到（23 名）：\nS08\nS09\n")));
    EXPECT_TRUE(question.details.endsWith("S29\nS30"));
    // Everyone photographed: nothing to list.
    PhotoDaySession all({"A", "B"}, folder_.filePath("all"));
    all.SavePhotos("photo", "frame", QDateTime::currentDateTime(), {});
    all.SavePhotos("photo", "frame", QDateTime::currentDateTime(), {});
    EXPECT_EQ(HandOverQuestionOf(all).text,
              Text("已拍 2 名，缺席 0 名，未轮到 0 名。\n\n"
                   "主窗口将得到这份名单和照片文件夹，按文件名对应照片；缺席的学生在核对表中标为“缺席”。"));
    EXPECT_EQ(HandOverQuestionOf(all).details, QString());
}

TEST_F(PhotoDayShowing, TheSiteIsAskedOnceAndAFailureLeavesTheCodesAlone)
{
    const QStringList codes{"001", "002"};
    int calls = 0;
    const struct {
        const char* what;
        StudentLookup lookUp;
        bool read;
        QString failure;
        QString nameOf001;
    } rows[] = {
        {"no lookup", nullptr, false, {}, {}},
        {"a lookup that fails",
         [&](const QStringList&) -> QHash<QString, StudentCard> {
             ++calls;
             throw std::runtime_error("还没有选择网站的安装文件夹。");
         },
         false,
         Text("无法读取学生在网站上的姓名和现有照片，照常按名单拍照。\n还没有选择网站的安装文件夹。"),
         {}},
        {"a lookup that answers",
         [&](const QStringList& asked) {
             ++calls;
             EXPECT_EQ(asked, codes);
             return QHash<QString, StudentCard>{{"001", {Text("张伟"), "/site/001.jpg"}}};
         },
         true,
         {},
         Text("张伟")},
    };
    for (const auto& row : rows) {
        calls = 0;
        const SiteStudents students = SiteStudents::Read(row.lookUp, codes);
        EXPECT_EQ(students.WereRead(), row.read) << row.what;
        EXPECT_EQ(students.FailureMessage(), row.failure) << row.what;
        EXPECT_EQ(students.NameOf("001"), row.nameOf001) << row.what;
        EXPECT_EQ(students.Find("002"), nullptr) << row.what;
        EXPECT_EQ(calls, row.lookUp ? 1 : 0) << row.what;
    }
}

TEST_F(PhotoDayShowing, ThePanelShowsTheStudentsNameAndSitePhotoOrSaysWhyNot)
{
    // 001 has a photo on the site, 002 none, 003 a file that is no picture,
    // 004 no row in the table.
    QImage blue(120, 180, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(FileIn("site-001.jpg"), "JPEG"));
    WriteFile(FileIn("site-003.jpg"), "not a picture");
    const QStringList codes{"001", "002", "003", "004"};
    const SiteStudents read = SiteStudents::Read(
        [&](const QStringList&) {
            return QHash<QString, StudentCard>{{"001", {Text("张伟"), FileIn("site-001.jpg")}},
                                               {"002", {Text("李娜"), {}}},
                                               {"003", {{}, FileIn("site-003.jpg")}}};
        },
        codes);
    const QSize box(122, 182);
    const struct {
        qsizetype student;
        const SiteStudents* students;
        ThumbnailMaker thumbnails;
        QString name;
        bool photo;
        QString note;
    } rows[] = {
        {0, &read, MakeThumbnail, Text("张伟"), true, Text("对照现有照片，确认镜头前是这名学生。")},
        {0, &read, nullptr, Text("张伟"), false, {}},
        {1, &read, MakeThumbnail, Text("李娜"), false, Text("网站上还没有这名学生的照片。")},
        {2,
         &read,
         MakeThumbnail,
         {},
         false,
         Text("网站上的照片无法显示：") + QDir::toNativeSeparators(FileIn("site-003.jpg"))},
        {3, &read, MakeThumbnail, {}, false, Text("学生表中没有这个学籍号：004")},
        {0, nullptr, MakeThumbnail, {}, false, Text("没有读取网站上的学生信息。")},
    };
    PhotoDaySession day(codes, Folder());
    const SiteStudents unread;
    for (const auto& row : rows) {
        day.JumpTo(row.student);
        const StudentPanel panel = PanelOf(day, row.students ? *row.students : unread, row.thumbnails, box);
        EXPECT_EQ(panel.name, row.name) << row.student;
        EXPECT_EQ(panel.note, row.note) << row.student;
        ASSERT_EQ(!panel.photo.isNull(), row.photo) << row.student;
        if (row.photo) {
            EXPECT_LE(panel.photo.width(), box.width());
            EXPECT_LE(panel.photo.height(), box.height());
            const QColor middle = panel.photo.pixelColor(panel.photo.width() / 2, panel.photo.height() / 2);
            EXPECT_GT(middle.blue(), 240);
            EXPECT_LT(middle.red(), 16);
        }
    }
    // Past the end there is no one to show.
    day.JumpTo(3);
    day.Absent();
    const StudentPanel none = PanelOf(day, read, MakeThumbnail, box);
    EXPECT_TRUE(none.name.isEmpty() && none.photo.isNull() && none.note.isEmpty());
}

TEST_F(PhotoDayShowing, TheSaveStepWritesTheShotsStudentOnlyOrKeepsTheDayWhereItWas)
{
    PhotoDaySession day({"001", "002", "003"}, Folder());
    TBitmap framed;
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { SaveStudentPhoto(day, Shot{}, framed, {}); }), "请先获取图片！");
    EXPECT_EQ(day.Position(), 0);

    PaintHalves(framed, 120, 180, RGB(200, 40, 40), RGB(30, 60, 210));
    auto frame = std::make_shared<TBitmap>();
    PaintHalves(*frame, 64, 48, RGB(20, 180, 90), RGB(240, 230, 20));
    const QDateTime taken(QDate(2026, 9, 1), QTime(8, 0, 5));
    const auto shotOf = [&](qsizetype student) { return Shot{student, day.Code(student), frame, taken}; };
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { SaveStudentPhoto(day, shotOf(0), TBitmap(), {}); }), "请先获取图片！");

    SaveStudentPhoto(day, shotOf(0), framed, {});
    EXPECT_EQ(day.Position(), 1);
    EXPECT_EQ(day.StateOf(0), PhotoDaySession::State::Done);
    // Both JPEG by what they hold (decoded by Qt's own reader), each of its
    // picture; the frame with the time of the grab, as a camera writes it.
    const QByteArray photoFile = ReadFile(day.PhotoPath(0));
    const QByteArray originalFile = ReadFile(day.OriginalPath(0));
    EXPECT_EQ(SniffPictureKind(Bytes(photoFile)), PictureKind::Jpeg);
    EXPECT_EQ(SniffPictureKind(Bytes(originalFile)), PictureKind::Jpeg);
    const QImage photo = QImage::fromData(photoFile, "JPEG");
    ASSERT_EQ(photo.size(), QSize(120, 180));
    EXPECT_TRUE(NearColour(photo.pixel(30, 90), QColor(200, 40, 40)));
    EXPECT_TRUE(NearColour(photo.pixel(90, 90), QColor(30, 60, 210)));
    const QImage original = QImage::fromData(originalFile, "JPEG");
    ASSERT_EQ(original.size(), QSize(64, 48));
    EXPECT_TRUE(NearColour(original.pixel(16, 24), QColor(20, 180, 90)));
    EXPECT_TRUE(NearColour(original.pixel(48, 24), QColor(240, 230, 20)));
    EXPECT_EQ(CaptureTimeOf(originalFile), "2026:09:01 08:00:05");
    EXPECT_EQ(CaptureTimeOf(photoFile), std::nullopt);

    // A shot of the student before is never saved as this one's.
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { SaveStudentPhoto(day, shotOf(0), framed, {}); }),
              Text("这张照片是为 001 拍的，不能存为 002 的照片，请重新获取图片。").toStdString());
    EXPECT_FALSE(QFile::exists(day.PhotoPath(1)));

    // A folder where the photo should go: the write fails, the day stays.
    ASSERT_TRUE(QDir().mkpath(Folder() + "/002.jpg"));
    const std::string failure = ErrorOf<EPhotoDayError>([&] { SaveStudentPhoto(day, shotOf(1), framed, {}); });
    EXPECT_NE(failure.find(QDir::toNativeSeparators(Folder() + "/002.jpg").toStdString()), std::string::npos)
        << failure;
    EXPECT_EQ(day.Position(), 1);
    EXPECT_EQ(day.StateOf(1), PhotoDaySession::State::Waiting);

    day.JumpTo(2);
    SaveStudentPhoto(day, shotOf(2), framed, {Text("照片模糊")});
    ASSERT_TRUE(day.AtEnd());
    EXPECT_EQ(day.SavedPhotoOf(2)->problems, QStringList{Text("照片模糊")});
    EXPECT_EQ(day.SavedPhotoOf(2)->taken, taken);
    SaveStudentPhoto(day, shotOf(2), framed, {}); // nothing past the end
    EXPECT_EQ(QDir(Folder()).entryList({"*.jpg"}, QDir::Files), (QStringList{"001.jpg", "003.jpg"}));
}

} // namespace
