// What the photo day shows and says, the site's students it reads once, and
// its save step: on real sessions in a temporary folder.
#include "assignment/views/Thumbnail.h"
#include "photoday/PhotoDaySession.h"
#include "photoday/PhotoDayTexts.h"
#include "photoday/SaveStudentPhoto.h"
#include "photoday/SiteStudents.h"
#include "photoday/StudentPanel.h"
#include "picture/TCanvas.h"
#include "picture/TPicture.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
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

    day.PhotoSaved();
    day.Absent();
    EXPECT_EQ(lines(), (QStringList{Text("√ 001　张伟"), Text("缺 002"), Text("　 003"), Text("　 004")}));
    EXPECT_EQ(PositionLine(day), Text("第 3 / 4 名　003"));
    day.JumpTo(3);
    day.PhotoSaved();
    EXPECT_EQ(PositionLine(day), Text("名单已拍完（共 4 名）"));
    EXPECT_EQ(RosterEndMessage(day),
              Text("名单上的学生都已轮到：已拍 2 名，缺席 1 名：002，还有 1 名没有拍。点击“交给主窗口”设置照片。"));

    // Reopened, the day says how far it had come (a photographed student
    // counts while the photo is there); handed over, what became of it.
    WriteFile(day.PhotoPath(0), "BM");
    WriteFile(day.PhotoPath(3), "BM");
    PhotoDaySession resumed({"001", "002", "003", "004"}, Folder());
    EXPECT_EQ(ResumedMessage(resumed), Text("接着上次的进度拍照：已拍 2 名，缺席 1 名。"));
    resumed.JumpTo(1);
    EXPECT_EQ(HandedOverMessage(resumed), Text("名单还没有轮完：已拍 2 名，缺席 1 名：002，还有 1 "
                                               "名没有拍。照片文件夹已交给主窗口，按文件名对应学籍号。"));
    resumed.JumpTo(2);
    resumed.Absent();
    EXPECT_EQ(
        HandedOverMessage(resumed),
        Text("名单上的学生都已轮到：已拍 2 名，缺席 2 名：002、003。照片文件夹已交给主窗口，按文件名对应学籍号。"));
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

TEST_F(PhotoDayShowing, TheSaveStepWritesTheStudentsPhotoOrKeepsTheDayWhereItWas)
{
    PhotoDaySession day({"001", "002", "003"}, Folder());
    TPicture photo;
    EXPECT_EQ(ErrorOf<EPhotoDayError>([&] { SaveStudentPhoto(day, photo); }), "请先获取图片！");
    EXPECT_EQ(day.Position(), 0);

    TBitmap& bitmap = photo.Bitmap();
    bitmap.SetSize(120, 180);
    bitmap.Canvas().SetPixel(5, 7, RGB(1, 2, 3));
    SaveStudentPhoto(day, photo);
    EXPECT_EQ(day.Position(), 1);
    EXPECT_EQ(day.StateOf(0), PhotoDaySession::State::Done);
    const QByteArray saved = ReadFile(Folder() + "/001.jpg");
    EXPECT_TRUE(saved.startsWith("BM")) << "BMP data under the .jpg name, as the windows write";
    const QImage read = QImage::fromData(saved, "BMP");
    ASSERT_EQ(read.size(), QSize(120, 180));
    EXPECT_EQ(read.pixel(5, 7), qRgb(1, 2, 3));

    // A folder where the photo should go: the write fails, the day stays.
    ASSERT_TRUE(QDir().mkpath(Folder() + "/002.jpg"));
    const std::string failure = ErrorOf<EPhotoDayError>([&] { SaveStudentPhoto(day, photo); });
    EXPECT_EQ(
        failure.rfind(Text("无法写入 %1（").arg(QDir::toNativeSeparators(Folder() + "/002.jpg")).toStdString(), 0), 0u)
        << failure;
    EXPECT_EQ(day.Position(), 1);
    EXPECT_EQ(day.StateOf(1), PhotoDaySession::State::Waiting);

    day.JumpTo(2);
    SaveStudentPhoto(day, photo);
    ASSERT_TRUE(day.AtEnd());
    SaveStudentPhoto(day, photo); // nothing past the end
    EXPECT_EQ(QDir(Folder()).entryList({"*.jpg"}, QDir::Files), (QStringList{"001.jpg", "003.jpg"}));
}

} // namespace
