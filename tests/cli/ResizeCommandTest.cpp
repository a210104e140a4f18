#include "picture/PictureHeaders.h"
#include "resize/BatchResize.h"
#include "resize/ReferencePictures.h"
#include "support/QtPrinters.h"
#include "support/RunCli.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ResizeCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(QDir(temp.path()).mkpath("source"));
        ASSERT_TRUE(QDir(temp.path()).mkpath("target"));
    }

    QString Source() const { return temp.filePath("source"); }
    QString Target() const { return temp.filePath("target"); }
    QStringList TargetFiles() const { return QDir(Target()).entryList(QDir::Files, QDir::Name); }

    // The success line and the summary of what the target holds.
    QString Succeeded() const
    {
        std::uint64_t bytes = 0;
        for (const QFileInfo& file : QDir(Target()).entryInfoList(QDir::Files))
            bytes += static_cast<std::uint64_t>(file.size());
        return QStringLiteral("图片大小调整成功！\n共 %1 张，%2").arg(TargetFiles().size()).arg(ByteSizeText(bytes));
    }

    CliResult Run(const QStringList& arguments) const { return RunCli(SP_CLI_PATH, QStringList{"resize"} + arguments); }

    QTemporaryDir temp;
};

} // namespace

TEST_F(ResizeCommandTest, ResizesEveryPictureOfTheSourceInListingOrderIntoJpegOrBmpData)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/obama-240p.jpg"), Source() + "/b.jpg"));
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), Source() + "/a.jpg"));
    CliResult result = Run({"--source", Source(), "--target", Target(), "--width", "60", "--height", "90"});

    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.trimmed(), Succeeded());
    // Not a terminal: no progress bar.
    EXPECT_EQ(result.err, QString());
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg"}));
    for (const QString name : {"001.jpg", "002.jpg"}) {
        const QByteArray bytes = ReadFile(Target() + '/' + name);
        const JpegHeader header = ReadJpegHeader(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())});
        EXPECT_EQ(header.Width, 60);
        EXPECT_EQ(header.Height, 90);
    }

    // The drawn pixels exactly, as BMP data.
    result = Run({"--source", Source(), "--target", Target(), "--width", "60", "--height", "90", "--format", "bmp",
                  "--overwrite"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.trimmed(), Succeeded());
    EXPECT_TRUE(IsSampleOf(Target() + "/002.jpg", TestDataPath("jpeg/photos/obama-240p.jpg"), {60, 90}));
}

TEST_F(ResizeCommandTest, ItsOwnOutputsResizeAgain)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/obama.jpg"), Source() + "/a.jpg"));
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/biden.jpg"), Source() + "/b.jpg"));
    const QString again = temp.filePath("again");
    ASSERT_TRUE(QDir().mkpath(again));
    CliResult result = Run({"--source", Source(), "--target", Target()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    result = Run({"--source", Target(), "--target", again, "--width", "60", "--height", "90", "--fit", "crop"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QDir(again).entryList(QDir::Files, QDir::Name), (QStringList{"001.jpg", "002.jpg"}));
}

#ifndef _WIN32 // symbolic links need a privilege Windows users lack
TEST_F(ResizeCommandTest, OverwritingReplacesALinkAtAnOutputsNameNotTheFileItLeadsTo)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), Source() + "/a.jpg"));
    const QString outside = temp.filePath("outside.txt");
    WriteFile(outside, "not a photo");
    ASSERT_TRUE(QFile::link(outside, Target() + "/001.jpg"));
    const CliResult result = Run({"--source", Source(), "--target", Target(), "--overwrite"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(ReadFile(outside), QByteArray("not a photo"));
    EXPECT_FALSE(QFileInfo(Target() + "/001.jpg").isSymLink());
    EXPECT_TRUE(ReadFile(Target() + "/001.jpg").startsWith("\xFF\xD8"));
}
#endif

TEST_F(ResizeCommandTest, AFailedRunSaysWhyAndKeepsEarlierOutputs)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), Source() + "/a.jpg"));
    WriteFile(Source() + "/b.jpg", "BM not a jpeg");
    const CliResult result = Run({"--source", Source(), "--target", Target()});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("片大小调整失败，请确认文件是否正确！\n")))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("b.jpg") && result.err.contains("JPEG error #53")) << result.err.toStdString();
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(TargetFiles(), QStringList{"001.jpg"});
}

TEST_F(ResizeCommandTest, WrongUsageChangesNothing)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), Source() + "/a.jpg"));
    const QString missing = temp.filePath("missing");
    const struct {
        QStringList arguments;
        int exitCode;
        const char* said;
    } rows[] = {
        {{}, 2, "--source is required"},
        {{"--source", Source()}, 2, "--target is required"},
        {{"--source", Source(), "--target"}, 2, "--target needs a value"},
        {{"--source", Source(), "--target", Target(), "--width", "abc"}, 2, "--width abc is not a whole number"},
        {{"--source", Source(), "--target", Target(), "--height", ""}, 2, "--height  is not a whole number"},
        {{"--source", Source(), "--target", Target(), "--depth", "8"}, 2, "unknown argument --depth"},
        {{"--source", Source(), "--target", Target(), "--fit", "fill"}, 2, "--fit fill is not stretch, crop or face"},
        {{"--source", Source(), "--target", Target(), "--sampling", "bilinear"},
         2,
         "--sampling bilinear is not exact or smooth"},
        {{"--source", Source(), "--target", Target(), "--format", "png"}, 2, "--format png is not jpeg or bmp"},
        {{"--source", Source(), "--target", Target(), "--jobs", "0"},
         2,
         "--jobs 0 is not a number of threads from 1 to 64"},
        {{"--source", Source(), "--source", Source(), "--target", Target()}, 2, "--source given twice"},
        {{"--source", missing, "--target", Target()}, 2, "is not a folder"},
        {{"--source", Source(), "--target", missing}, 2, "is not a folder"},
        {{"--source", Source(), "--target", Target(), "--width", "0"},
         2,
         "--width 0 is not a whole number from 1 to 10000"},
        {{"--source", Source(), "--target", Target(), "--height", "10001"},
         2,
         "--height 10001 is not a whole number from 1 to 10000"},
        {{"--source", Source(), "--target", Source()}, 1, "目标图片路径就是源图片路径"},
    };
    for (const auto& row : rows) {
        const CliResult result = Run(row.arguments);
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(row.said))) << result.err.toStdString();
        EXPECT_TRUE(TargetFiles().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(missing));
    }
}

TEST_F(ResizeCommandTest, PicturesInTheTargetAreReplacedOnlyWithOverwrite)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/hopper.jpg"), Source() + "/a.jpg"));
    WriteFile(Target() + "/001.jpg", "older");
    CliResult result = Run({"--source", Source(), "--target", Target()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("目标文件夹中已有 1 张同名图片，会被覆盖（001.jpg）")))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("--overwrite"));
    EXPECT_EQ(ReadFile(Target() + "/001.jpg"), QByteArray("older"));

    result = Run({"--source", Source(), "--target", Target(), "--overwrite", "--format", "bmp"});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(IsSampleOf(Target() + "/001.jpg", TestDataPath("jpeg/photos/hopper.jpg"), {120, 180}));
}

TEST_F(ResizeCommandTest, FaceModeNamesThePicturesWithoutAFace)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/obama.jpg"), Source() + "/a.jpg"));
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/libjpeg-turbo/testorig.jpg"), Source() + "/b.jpg"));
    const CliResult result = Run({"--source", Source(), "--target", Target(), "--fit", "face"});

    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, Succeeded() + QStringLiteral("\n其中 1 张图片未找到人脸，已按裁剪处理：b.jpg\n"));
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg"}));
}

TEST_F(ResizeCommandTest, SamplingIsExactForStretchAndSmoothForTheOthersUnlessChosen)
{
    ASSERT_TRUE(QFile::copy(TestDataPath("jpeg/photos/obama.jpg"), Source() + "/a.jpg"));
    const QString photo = TestDataPath("jpeg/photos/obama.jpg");
    // BMP data: the drawn pixels as they are.
    auto run = [&](const QStringList& more) {
        const CliResult result =
            Run(QStringList{"--source", Source(), "--target", Target(), "--overwrite", "--format", "bmp"} + more);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return ReadFile(Target() + "/001.jpg");
    };
    // Stretch: djpeg's decoding sampled, unless smooth is asked for.
    const QByteArray stretch = run({});
    EXPECT_TRUE(IsSampleOf(Target() + "/001.jpg", photo, {120, 180}));
    EXPECT_EQ(run({"--sampling", "exact"}), stretch);
    const QByteArray smoothStretch = run({"--sampling", "smooth"});
    EXPECT_FALSE(IsSampleOf(Target() + "/001.jpg", photo, {120, 180}));
    EXPECT_NE(smoothStretch, stretch);
    // Crop: smooth unless exact is asked for.
    const QByteArray crop = run({"--fit", "crop"});
    EXPECT_EQ(run({"--fit", "crop", "--sampling", "smooth"}), crop);
    const QByteArray exactCrop = run({"--fit", "crop", "--sampling", "exact"});
    EXPECT_NE(exactCrop, crop);
    EXPECT_NE(smoothStretch, crop);
    // Face: smooth unless exact is asked for.
    const QByteArray face = run({"--fit", "face"});
    EXPECT_EQ(run({"--fit", "face", "--sampling", "smooth"}), face);
    EXPECT_NE(run({"--fit", "face", "--sampling", "exact"}), face);
}
