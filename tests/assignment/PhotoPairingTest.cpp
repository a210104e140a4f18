// Pairing the roster with photos by file name and by index file: what pairs,
// what is left over, and what is refused before anything is touched.
#include "assignment/input/PhotoPairing.h"

#include "assignment/input/PhotoIndex.h"
#include "files/FolderString.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

AssignmentInput ByName(const QStringList& codes, const QStringList& photoNames)
{
    AssignmentInput input;
    input.installationFolder = QStringLiteral("/site/");
    input.photoFolder = QStringLiteral("/photos/");
    input.codes = codes;
    input.photoNames = photoNames;
    input.pairing = PairingMode::FileName;
    return input;
}

PairedPhotos Paired(const AssignmentInput& input)
{
    auto outcome = PairPhotos(input);
    if (const AssignmentOutcome* refusal = std::get_if<AssignmentOutcome>(&outcome)) {
        ADD_FAILURE() << "refused: " << refusal->message.toStdString();
        return {};
    }
    return std::get<PairedPhotos>(outcome);
}

QString RefusalOf(const AssignmentInput& input)
{
    auto outcome = PairPhotos(input);
    const AssignmentOutcome* refusal = std::get_if<AssignmentOutcome>(&outcome);
    if (!refusal)
        return QStringLiteral("not refused");
    EXPECT_EQ(refusal->result, AssignmentOutcome::Result::Refused);
    return refusal->message;
}

TEST(PairByFileName, ShuffledPhotosFindTheirCodesWhateverTheCaseAndExtension)
{
    const PairedPhotos paired =
        Paired(ByName({"A01", "a02", "003", "004 "}, {"004.bmp", "a01.JPG", "003.jpeg", "A02.jpg"}));
    EXPECT_EQ(paired.input.codes, (QStringList{"A01", "a02", "003", "004 "}));
    EXPECT_EQ(paired.input.photoNames, (QStringList{"a01.JPG", "A02.jpg", "003.jpeg", "004.bmp"}));
    EXPECT_EQ(paired.input.photoFolder, "/photos/");
    EXPECT_EQ(paired.lines, (QList<qsizetype>{1, 2, 3, 4}));
    EXPECT_EQ(paired.byLeadingZeros, (QList<bool>{false, false, false, false}));
    EXPECT_TRUE(paired.notices.isEmpty()) << paired.notices.join('\n').toStdString();
}

TEST(PairByFileName, CodesWithoutPhotosAndPhotosWithoutCodesAreNoticedNotPaired)
{
    // A whole folder, more photos than codes; "0002.jpg" is not "002" by name.
    const PairedPhotos paired =
        Paired(ByName({"001", "002", "003"}, {"003.jpg", "0002.jpg", "001.jpg", "x.jpg", "001.jpg.bak.jpg"}));
    EXPECT_EQ(paired.input.codes, (QStringList{"001", "003"}));
    EXPECT_EQ(paired.input.photoNames, (QStringList{"001.jpg", "003.jpg"}));
    EXPECT_EQ(paired.lines, (QList<qsizetype>{1, 3}));
    EXPECT_EQ(paired.notices,
              (QStringList{"1 个学籍号没有照片，不会设置：“002”（第 2 行）",
                           "3 张照片的文件名不是名单中的学籍号，不会使用：“0002.jpg”、“x.jpg”、“001.jpg.bak.jpg”"}));
}

TEST(PairByFileName, StudentsRecordedAbsentAreToldApartFromPhotosMissing)
{
    // As the database compares codes; an absent student with a photo after
    // all (photographed later) is paired as any other.
    AssignmentInput input = ByName({"S01", "s02", "S03", "S04", "S05"}, {"S01.jpg", "S05.jpg"});
    input.absentCodes = {"S02", "S04 ", "S05", "S09"};
    const PairedPhotos paired = Paired(input);
    EXPECT_EQ(paired.input.codes, (QStringList{"S01", "S05"}));
    EXPECT_EQ(paired.lines, (QList<qsizetype>{1, 5}));
    EXPECT_EQ(paired.notices, (QStringList{"1 个学籍号没有照片，不会设置：“S03”（第 3 行）",
                                           "缺席 2 名，不会设置：“s02”（第 2 行）、“S04”（第 4 行）"}));
}

TEST(PairByFileName, TwoPhotosForOneCodeAreRefused)
{
    EXPECT_EQ(RefusalOf(ByName({"001", "002"}, {"001.jpg", "002.jpg", "001.BMP", "002.JPEG"})),
              "一名学生只能对应一张照片，这些学籍号找到了两张以上：\n"
              "第 1 行的学籍号“001”：“001.jpg”、“001.BMP”\n"
              "第 2 行的学籍号“002”：“002.jpg”、“002.JPEG”\n"
              "没有设置任何学生，请改正后重试！");
}

TEST(PairByPosition, GivesTheInputAsItIs)
{
    AssignmentInput input = ByName({"1", "2"}, {"b.jpg", "a.jpg"});
    input.pairing = PairingMode::Position;
    const PairedPhotos paired = Paired(input);
    EXPECT_EQ(paired.input.photoNames, (QStringList{"b.jpg", "a.jpg"}));
    EXPECT_EQ(paired.lines, (QList<qsizetype>{1, 2}));
    EXPECT_TRUE(paired.notices.isEmpty());
}

class PairByIndex : public testing::Test {
protected:
    AssignmentInput Input(const QStringList& codes, const QByteArray& index)
    {
        WriteFile(folder_.filePath("index.txt"), index);
        AssignmentInput input;
        input.installationFolder = QStringLiteral("/site/");
        input.codes = codes;
        input.pairing = PairingMode::IndexFile;
        input.indexFile = folder_.filePath("index.txt");
        input.indexRows = ReadPhotoIndex(input.indexFile);
        return input;
    }
    QString Folder() const { return folder_.path() + '/'; }

    QTemporaryDir folder_;
};

TEST_F(PairByIndex, SwappedTabSeparatedColumnsPairRelativeToTheIndexFolder)
{
    const PairedPhotos paired = Paired(
        Input({"S1", "S2", "S3"}, "照片\t学籍号\r\nshot 7.jpg\ts3\r\nday2\\shot 1.JPG\tS1\r\n../up.jpg\tS2\r\n"));
    EXPECT_EQ(paired.input.photoFolder, FolderString(Folder()));
    EXPECT_EQ(paired.input.codes, (QStringList{"S1", "S2", "S3"}));
    EXPECT_EQ(paired.input.photoNames, (QStringList{"day2/shot 1.JPG", "../up.jpg", "shot 7.jpg"}));
    EXPECT_TRUE(paired.notices.isEmpty()) << paired.notices.join('\n').toStdString();
}

TEST_F(PairByIndex, AFullPathInTheIndexIsTheSameFile)
{
    const PairedPhotos paired = Paired(Input({"S1"}, "S1," + Folder().toUtf8() + "sub/1.jpg\n"));
    EXPECT_EQ(paired.input.photoNames, (QStringList{"sub/1.jpg"}));
}

TEST_F(PairByIndex, LeadingZerosPairWithAWarningNeverSilently)
{
    // Spreadsheets drop leading zeros; an exact code still wins over one without them.
    const PairedPhotos paired = Paired(Input({"00123", "45", "7"}, "123,a.jpg\n045,x.jpg\n45,b.jpg\n007,c.jpg\n"));
    EXPECT_EQ(paired.input.codes, (QStringList{"00123", "45", "7"}));
    EXPECT_EQ(paired.input.photoNames, (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(paired.byLeadingZeros, (QList<bool>{true, false, true}));
    EXPECT_EQ(paired.notices,
              (QStringList{"2 个学籍号只有去掉前导零才对得上，请核对：第 1 行的“00123”对应“a.jpg”（对照表第 1 行）、"
                           "第 3 行的“7”对应“c.jpg”（对照表第 4 行）",
                           "对照表中有 1 行的学籍号不在名单中，不会使用：第 2 行“045”"}));
}

TEST_F(PairByIndex, OnePhotoForTwoCodesIsRefused)
{
    EXPECT_EQ(RefusalOf(Input({"045", "45"}, "45,b.jpg\n")),
              "一张照片只能对应一名学生，这些照片对应了两个以上学籍号：\n"
              "“b.jpg”（对照表第 1 行）：第 1 行的学籍号“045”和第 2 行的学籍号“45”\n"
              "没有设置任何学生，请改正后重试！");
    EXPECT_EQ(RefusalOf(Input({"1", "2"}, "1,a.jpg\n2,./A.JPG\n")),
              "一张照片只能对应一名学生，这些照片对应了两个以上学籍号：\n"
              "“A.JPG”（对照表第 2 行）：第 1 行的学籍号“1”和第 2 行的学籍号“2”\n"
              "没有设置任何学生，请改正后重试！");
}

TEST_F(PairByIndex, TwoRowsForOneCodeAreRefused)
{
    EXPECT_EQ(RefusalOf(Input({"1"}, "1,a.jpg\n1,b.jpg\n")),
              "一名学生只能对应一张照片，这些学籍号找到了两张以上：\n"
              "第 1 行的学籍号“1”：“a.jpg”（对照表第 1 行）、“b.jpg”（对照表第 2 行）\n"
              "没有设置任何学生，请改正后重试！");
}

TEST_F(PairByIndex, EveryDisagreementIsNoticed)
{
    const PairedPhotos paired = Paired(Input({"1", "2"}, "学籍号,照片\n1,a.jpg\n9,z.jpg\n8,y.jpg\n"));
    EXPECT_EQ(paired.input.codes, (QStringList{"1"}));
    EXPECT_EQ(paired.notices, (QStringList{"1 个学籍号没有照片，不会设置：“2”（第 2 行）",
                                           "对照表中有 2 行的学籍号不在名单中，不会使用：第 3 行“9”、第 4 行“8”"}));
}

TEST_F(PairByIndex, StudentsRecordedAbsentAreToldApartFromPhotosMissing)
{
    AssignmentInput input = Input({"1", "2", "3"}, "1,a.jpg\n");
    input.absentCodes = {"3"};
    EXPECT_EQ(Paired(input).notices,
              (QStringList{"1 个学籍号没有照片，不会设置：“2”（第 2 行）", "缺席 1 名，不会设置：“3”（第 3 行）"}));
}

TEST_F(PairByIndex, NoIndexLoadedIsARefusal)
{
    AssignmentInput none = Input({"1"}, "1,a.jpg\n");
    none.indexFile.clear();
    none.indexRows.clear();
    EXPECT_EQ(RefusalOf(none), "没有加载对照表！");
}

TEST_F(PairByIndex, TheRowsPairedAreTheRowsReadWhenTheIndexWasLoaded)
{
    // The index file changed after it was loaded (and shown): the run
    // pairs what was shown, not what the file says now.
    AssignmentInput input = Input({"1", "2"}, "1,a.jpg\n2,b.jpg\n");
    WriteFile(input.indexFile, "1,b.jpg\n2,a.jpg\n");
    EXPECT_EQ(Paired(input).input.photoNames, (QStringList{"a.jpg", "b.jpg"}));
}

} // namespace
