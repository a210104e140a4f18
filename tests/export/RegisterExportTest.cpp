#include "export/RegisterExport.h"

#include "export/RegisterPhoto.h"
#include "faces/FaceDetector.h"
#include "picture/PictureByContent.h"
#include "platform/database/TADOQuery.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"
#include "support/TestSite.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <zip.h>

namespace {

const QString kSchoolCode = QStringLiteral("4401234567");

// A student of the test site: code, name, ID number, grade, class, and the
// photo of tests/data it has on the site (none when empty).
struct SiteStudent {
    QString code;
    QString name;
    QString id;
    QString grade;
    QString klass;
    QString photo;
};

// Real portraits of one person each (tests/data/jpeg/photos).
const QStringList kPortraits{"jpeg/photos/obama.jpg", "jpeg/photos/obama2.jpg", "jpeg/photos/biden.jpg",
                             "jpeg/photos/obama_and_biden.jpg"};

// 30 students: 初一 1班 and 2班 of ten each, 初二 without classes, five
// without an ID number; S05's photo too small, S06's without a face, S07
// without a photo, S08 and S09 of one ID number, S10's site photo too small
// but a full-size original from the photo day, S11's an empty file.
QList<SiteStudent> ThirtyStudents()
{
    QList<SiteStudent> students;
    for (int i = 1; i <= 30; ++i) {
        SiteStudent student;
        student.code = QStringLiteral("S%1").arg(i, 2, 10, QChar(u'0'));
        student.name = QStringLiteral("学生%1").arg(i);
        student.id = i > 25 ? QString() : QStringLiteral("1101012008010100%1").arg(i, 2, 10, QChar(u'0'));
        student.grade = i <= 20 ? QStringLiteral("初一") : QStringLiteral("初二");
        student.klass = i <= 10 ? QStringLiteral("1班") : i <= 20 ? QStringLiteral("2班") : QString();
        student.photo = kPortraits[i % kPortraits.size()];
        students.append(student);
    }
    students[4].photo = QStringLiteral("jpeg/photos/hopper.jpg");
    students[5].photo = QStringLiteral("jpeg/libjpeg-turbo/testorig.jpg");
    students[6].photo.clear();
    students[8].id = students[7].id;
    students[9].photo = QStringLiteral("jpeg/photos/hopper.jpg");
    students[10].photo = QStringLiteral("jpeg/corrupt/empty.jpg");
    return students;
}

class RegisterExportTest : public ::testing::Test {
protected:
    RegisterExportTest()
    {
        site.Execute(QStringLiteral("alter table organization add column xxbsm varchar(20)"));
        site.Execute(QStringLiteral("update organization set xxbsm = '%1'").arg(kSchoolCode));
        for (const char* column : {"sfzh", "nj", "bj"})
            site.Execute(QStringLiteral("alter table studentbaseinfo add column %1 varchar(40)").arg(column));
        for (const SiteStudent& student : students) {
            QString photo;
            if (!student.photo.isEmpty()) {
                photo = QStringLiteral("/upload/StudentPhoto/%1.jpg").arg(student.code);
                WriteFile(site.SitePhotoFolder() + student.code + QStringLiteral(".jpg"),
                          ReadFile(TestDataPath(student.photo)));
            }
            site.Execute(QStringLiteral("insert into studentbaseinfo (studentcode, name, photo, sfzh, nj, bj) values "
                                        "('%1', '%2', '%3', %4, '%5', '%6')")
                             .arg(student.code, student.name, photo,
                                  student.id.isEmpty() ? QStringLiteral("null") : u'\'' + student.id + u'\'',
                                  student.grade, student.klass));
        }
        site.WriteScratch(QStringLiteral("day/原图/S10.jpg"), ReadFile(TestDataPath("jpeg/photos/obama2.jpg")));
    }

    ExportRequest Request(const QString& out) const
    {
        return {
            site.Folder(), out, {}, site.Scratch(QStringLiteral("day")), {}, {}, FaceDetector::DefaultCascadeFile()};
    }

    ExportSummary Export(const ExportRequest& request)
    {
        TADOQuery query(site.OdbcDriver());
        return RunRegisterExport(query, request);
    }

    const ExportLine& Line(const ExportSummary& summary, const QString& code) const
    {
        for (const ExportLine& line : summary.lines) {
            if (line.student.code == code)
                return line;
        }
        throw std::runtime_error("no line for " + code.toStdString());
    }

    const QList<SiteStudent> students = ThirtyStudents();
    TestSite site{Backend::SQLite};
};

// Every file under `folder`, by its path under it, with its bytes.
QMap<QString, QByteArray> FilesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), ReadFile(path));
    }
    return files;
}

// The entries of a zip file read with libzip: name (strictly UTF-8) to bytes.
QMap<QString, QByteArray> ZipEntries(const QString& zipFile)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(zipFile).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr)
        throw std::runtime_error("zip does not open");
    QMap<QString, QByteArray> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_STRICT, &stat);
        QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        bytes.resize(static_cast<qsizetype>(std::max<zip_int64_t>(read, 0)));
        entries.insert(QString::fromUtf8(stat.name), bytes);
    }
    zip_discard(archive);
    return entries;
}

TEST_F(RegisterExportTest, ThirtyStudentsByGradeAndClassWithZipsAndList)
{
    const QString out = site.Scratch(QStringLiteral("out"));
    const ExportSummary summary = Export(Request(out));

    ASSERT_EQ(summary.lines.size(), 30);
    EXPECT_EQ(summary.Count(ExportOutcome::Exported), 24);
    struct Row {
        const char* code;
        ExportOutcome outcome;
    };
    const Row rows[] = {{"S05", ExportOutcome::TooSmall},    {"S06", ExportOutcome::NoFace},
                        {"S07", ExportOutcome::NoPhoto},     {"S08", ExportOutcome::DuplicateId},
                        {"S09", ExportOutcome::DuplicateId}, {"S10", ExportOutcome::Exported},
                        {"S11", ExportOutcome::Unreadable}};
    for (const Row& row : rows)
        EXPECT_EQ(Line(summary, row.code).outcome, row.outcome) << row.code;
    EXPECT_TRUE(Line(summary, "S08").detail.contains(QStringLiteral("学生9（学籍号 S09）")));
    EXPECT_TRUE(Line(summary, "S10").original);

    const QMap<QString, QByteArray> files = FilesUnder(out);
    QSet<QString> expected{kExportListName, QStringLiteral("初一/1班.zip"), QStringLiteral("初一/2班.zip"),
                           QStringLiteral("初二/未分班.zip")};
    for (const SiteStudent& student : students) {
        const ExportLine& line = Line(summary, student.code);
        if (line.outcome != ExportOutcome::Exported)
            continue;
        const QString path =
            student.id.isEmpty()
                ? QStringLiteral("无身份证号/%1_%2_%3.jpg")
                      .arg(kSchoolCode, student.klass.isEmpty() ? QStringLiteral("未分班") : student.klass,
                           student.name)
                : QStringLiteral("%1/%2/%3.jpg")
                      .arg(student.grade, student.klass.isEmpty() ? QStringLiteral("未分班") : student.klass,
                           student.id);
        EXPECT_EQ(line.file, path);
        expected.insert(path);
    }
    EXPECT_EQ(QSet<QString>(files.keyBegin(), files.keyEnd()), expected);

    // Every photo a JPEG file under 60 KB at 26:32, decoding to its size.
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        if (!file.key().endsWith(QStringLiteral(".jpg")))
            continue;
        SCOPED_TRACE(file.key().toStdString());
        EXPECT_LT(file->size(), 60'000);
        const auto bytes = std::make_shared<const std::vector<std::uint8_t>>(file->begin(), file->end());
        ASSERT_EQ(SniffPictureKind(*bytes), PictureKind::Jpeg);
        const std::unique_ptr<TGraphic> picture = LoadPictureByContent(bytes);
        EXPECT_EQ(picture->Width(), kRegisterPhotoSize.Width);
        EXPECT_EQ(picture->Height(), kRegisterPhotoSize.Height);
    }

    // Each class's zip holds exactly its folder's photos, at its root.
    for (const QString& zip : summary.zips) {
        SCOPED_TRACE(zip.toStdString());
        const QString classFolder = zip.chopped(4) + u'/';
        QMap<QString, QByteArray> inFolder;
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            if (file.key().startsWith(classFolder))
                inFolder.insert(file.key().mid(classFolder.size()), *file);
        }
        EXPECT_FALSE(inFolder.isEmpty());
        EXPECT_EQ(ZipEntries(out + u'/' + zip), inFolder);
    }
    EXPECT_EQ(summary.zips.size(), 3);

    // The list: UTF-8 with a byte-order mark, a header and a line a student.
    const QByteArray csv = files.value(kExportListName);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList csvLines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csvLines.size(), 31);
    EXPECT_TRUE(csvLines[0].startsWith(QStringLiteral("\"学籍号\",\"姓名\",\"身份证号\"")));
    const QString tooSmall = csvLines.filter(QStringLiteral("\"S05\"")).value(0);
    EXPECT_TRUE(tooSmall.contains(QStringLiteral("\"原图太小\""))) << tooSmall.toStdString();
    // An ID number is kept whole in Excel.
    EXPECT_TRUE(tooSmall.contains(QStringLiteral("\"=\"\"110101200801010005\"\"\""))) << tooSmall.toStdString();
    EXPECT_TRUE(csvLines.filter(QStringLiteral("\"S06\"")).value(0).contains(QStringLiteral("\"未找到人脸\"")));
    EXPECT_TRUE(csvLines.filter(QStringLiteral("\"S10\"")).value(0).contains(QStringLiteral("拍照原图")));

    const QString text = summary.Text();
    EXPECT_TRUE(text.contains(QStringLiteral("已导出 24 张照片，3 个班级压缩包"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("身份证号重复：2 名"))) << text.toStdString();
}

TEST_F(RegisterExportTest, NeverWritesIntoAFolderThatHoldsAnything)
{
    const QString out = site.Scratch(QStringLiteral("out"));
    site.WriteScratch(QStringLiteral("out/earlier.txt"), "an earlier export");
    try {
        Export(Request(out));
        FAIL() << "a folder with a file in it was written into";
    } catch (const EExportFailed& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("已经有文件")));
    }
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"earlier.txt"});
}

TEST_F(RegisterExportTest, RosterChoosesTheStudentsAndNamesCodesTheSiteLacks)
{
    ExportRequest request = Request(site.Scratch(QStringLiteral("out")));
    request.roster = {QStringLiteral("S02"), QStringLiteral("S99"), QStringLiteral("s03")};
    const ExportSummary summary = Export(request);
    QStringList codes;
    for (const ExportLine& line : summary.lines)
        codes << line.student.code + u':' + OutcomeText(line.outcome);
    codes.sort();
    EXPECT_EQ(codes, (QStringList{QStringLiteral("S02:已导出"), QStringLiteral("S03:已导出"),
                                  QStringLiteral("S99:网站上没有这个学籍号")}));
}

// A site whose table has no ID number, grade or class: every student in
// the no-ID folder, named by the school code the request gives.
TEST(RegisterExportPlainSiteTest, WithoutIdColumnsEveryoneGoesToTheNoIdFolder)
{
    TestSite site(Backend::SQLite);
    site.Execute(QStringLiteral("insert into studentbaseinfo values ('A1', '张伟', '/upload/StudentPhoto/A1.jpg'), "
                                "('A2', '李娜', '')"));
    WriteFile(site.SitePhotoFolder() + QStringLiteral("A1.jpg"), ReadFile(TestDataPath("jpeg/photos/obama.jpg")));
    // A2's photo is found under its code though the column is empty.
    WriteFile(site.SitePhotoFolder() + QStringLiteral("A2.jpg"), ReadFile(TestDataPath("jpeg/photos/biden.jpg")));
    const QString out = site.Scratch(QStringLiteral("out"));
    TADOQuery query(site.OdbcDriver());
    const ExportSummary summary = RunRegisterExport(
        query, {site.Folder(), out, {}, {}, QStringLiteral("9999"), {}, FaceDetector::DefaultCascadeFile()});
    EXPECT_EQ(summary.Count(ExportOutcome::Exported), 2);
    EXPECT_TRUE(summary.zips.isEmpty());
    const QMap<QString, QByteArray> files = FilesUnder(out);
    EXPECT_EQ(files.keys(),
              (QStringList{QStringLiteral("导出清单.csv"), QStringLiteral("无身份证号/9999_未分班_张伟.jpg"),
                           QStringLiteral("无身份证号/9999_未分班_李娜.jpg")}));
}

} // namespace
