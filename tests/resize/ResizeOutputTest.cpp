// What the batch resize writes: JPEG files of the drawn picture by default,
// BMP data on request, through the target folder without following a link,
// and its outputs are photos a later run can resize again. And the pictures
// it must refuse: empty files, and photos too large to decode whole where a
// whole decoding is needed; not those it need not decode whole.
#include "LargeJpeg.h"
#include "ResizeFixture.h"
#include "picture/JpegWriter.h"
#include "picture/PictureHeaders.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"
#include "resize/BatchResize.h"
#include "support/QtPrinters.h"

#include <QImage>

#include <cstdlib>
#include <span>

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())};
}

std::vector<std::uint8_t> ByteVector(const QByteArray& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// Whether `bytes` start as a JPEG file does.
bool IsJpegData(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xD8\xFF");
}

} // namespace

TEST_F(BatchResizeTest, OutputsAreJpegOfTheDrawnPictureAtQualityNinetyOrBmpDataWhenAsked)
{
    const QStringList names{"obama.jpg", "hopper_gray.jpg", "obama_and_biden.jpg", "hopper_orientation_6.jpg"};
    for (const QString& name : names)
        AddPhoto("jpeg/photos/" + name, name);
    const QString bmpTarget = temp.filePath("bmp") + '/';
    ASSERT_TRUE(QDir().mkpath(bmpTarget));
    // Rows: fit, sampling, display depth.
    const struct {
        FitMode fit;
        Sampling sampling;
        int bits;
    } rows[] = {
        {FitMode::Stretch, Sampling::Exact, 32}, {FitMode::Stretch, Sampling::Smooth, 32},
        {FitMode::Crop, Sampling::Smooth, 32},   {FitMode::Face, Sampling::Smooth, 32},
        {FitMode::Crop, Sampling::Exact, 16},    {FitMode::Stretch, Sampling::Exact, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "fit " << static_cast<int>(row.fit) << ", sampling "
                                        << static_cast<int>(row.sampling) << ", " << row.bits << " bits");
        BatchResizeJob jpeg = Job(names);
        jpeg.fit = row.fit;
        jpeg.sampling = row.sampling;
        jpeg.displayDepth = DisplayColorDepth(row.bits);
        const BatchResizeReport report = RunBatchResize(jpeg);
        BatchResizeJob bmp = jpeg;
        bmp.targetFolder = bmpTarget;
        bmp.format = ResizeOutputFormat::Bmp;
        RunBatchResize(bmp);

        EXPECT_EQ(report.written, names.size());
        EXPECT_EQ(report.bytesWritten, TargetBytes());
        for (int n = 1; n <= names.size(); ++n) {
            SCOPED_TRACE(ResizeOutputName(n).toStdString());
            const QByteArray written = ReadFile(Target() + ResizeOutputName(n));
            const QByteArray drawn = ReadFile(bmpTarget + ResizeOutputName(n));
            ASSERT_TRUE(drawn.startsWith("BM"));
            ASSERT_TRUE(IsJpegData(written));
            // The BMP file holds the drawn pixels exactly; the JPEG file is
            // those pixels written at quality 90, byte for byte.
            TBitmap pixels;
            pixels.LoadFromStream(Bytes(drawn));
            EXPECT_EQ(ByteVector(written), EncodeJpeg(pixels));
            // A palette surface's dithering is costly to a JPEG encoder.
            if (row.bits > 8) {
                EXPECT_LT(written.size() * 4, drawn.size());
            }
        }
    }
}

TEST_F(BatchResizeTest, ARunOverAnEarlierRunsOutputsResizesThemAgain)
{
    for (const QString name : {"obama.jpg", "biden.jpg", "hopper.jpg"})
        AddPhoto("jpeg/photos/" + name, name);
    RunBatchResize(Job({"obama.jpg", "biden.jpg", "hopper.jpg"}));
    const QString again = temp.filePath("again") + '/';
    ASSERT_TRUE(QDir().mkpath(again));
    for (const FitMode fit : {FitMode::Stretch, FitMode::Crop, FitMode::Face}) {
        SCOPED_TRACE(static_cast<int>(fit));
        BatchResizeJob job{Target(), ResizeOutputNames(3), again, 60, 90, fit};
        job.overwrite = true;
        BatchResizeReport report;
        ASSERT_NO_THROW(report = RunBatchResize(job));
        EXPECT_EQ(report.written, 3);
        for (int n = 1; n <= 3; ++n) {
            const JpegHeader header = ReadJpegHeader(Bytes(ReadFile(again + ResizeOutputName(n))));
            EXPECT_EQ(header.Width, 60);
            EXPECT_EQ(header.Height, 90);
        }
    }
    // Outputs kept as BMP data cannot be read back as JPEG, and the failure says why.
    BatchResizeJob bmp = Job({"obama.jpg"});
    bmp.format = ResizeOutputFormat::Bmp;
    RunBatchResize(bmp);
    BatchResizeJob overBmp{Target(), {"001.jpg"}, again, 60, 90};
    overBmp.overwrite = true;
    const EResizeFailed failure = RunExpectingFailure(overBmp);
    EXPECT_TRUE(failure.Cause().startsWith(QStringLiteral("第 1 张图片 001.jpg：文件里是 BMP 数据")))
        << failure.Cause().toStdString();
}

TEST_F(BatchResizeTest, AnEmptyFileFailsTheRunAtItNamingItInEveryMode)
{
    AddPhoto("jpeg/photos/obama.jpg", "a.jpg");
    WriteFile(Source() + "empty.jpg", QByteArray());
    AddPhoto("jpeg/photos/biden.jpg", "c.jpg");
    const struct {
        FitMode fit;
        Sampling sampling;
    } rows[] = {{FitMode::Stretch, Sampling::Exact}, {FitMode::Stretch, Sampling::Smooth},
                {FitMode::Crop, Sampling::Exact},    {FitMode::Crop, Sampling::Smooth},
                {FitMode::Face, Sampling::Exact},    {FitMode::Face, Sampling::Smooth}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "fit " << static_cast<int>(row.fit) << ", sampling "
                                        << static_cast<int>(row.sampling));
        for (const QString& old : TargetFiles())
            ASSERT_TRUE(QFile::remove(Target() + old));
        BatchResizeJob job = Job({"a.jpg", "empty.jpg", "c.jpg"});
        job.fit = row.fit;
        job.sampling = row.sampling;
        const EResizeFailed failure = RunExpectingFailure(job);
        EXPECT_EQ(failure.SequenceNumber(), 2);
        EXPECT_EQ(failure.Cause(), QStringLiteral("第 2 张图片 empty.jpg：文件是空的（0 字节）（JPEG error #42）"));
        EXPECT_TRUE(
            ResizeFailureText(failure.Cause()).startsWith(QStringLiteral("片大小调整失败，请确认文件是否正确！")));
        EXPECT_EQ(TargetFiles(), QStringList{"001.jpg"});
    }
}

#ifndef _WIN32 // symbolic links need a privilege Windows users lack
TEST_F(BatchResizeTest, ALinkAtAnOutputsNameIsReplacedNeverWrittenThrough)
{
    AddPhoto("jpeg/photos/obama.jpg", "a.jpg");
    AddPhoto("jpeg/photos/biden.jpg", "b.jpg");
    const QString outside = temp.filePath("outside.txt");
    WriteFile(outside, "someone else's file");
    ASSERT_TRUE(QFile::link(outside, Target() + "001.jpg"));
    ASSERT_TRUE(QFile::link(temp.filePath("nowhere"), Target() + "002.jpg")); // leads nowhere
    EXPECT_EQ(OutputsThatExist(Job({"a.jpg", "b.jpg"})), (QStringList{"001.jpg", "002.jpg"}));

    const BatchResizeReport report = RunBatchResize(Job({"a.jpg", "b.jpg"}));
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(ReadFile(outside), QByteArray("someone else's file"));
    EXPECT_FALSE(QFileInfo::exists(temp.filePath("nowhere")));
    for (const QString name : {"001.jpg", "002.jpg"}) {
        const QFileInfo output(Target() + name);
        EXPECT_FALSE(output.isSymLink()) << name.toStdString();
        EXPECT_TRUE(IsJpegData(ReadFile(Target() + name))) << name.toStdString();
    }
    // Nothing is left beside the outputs.
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg"}));
}
#endif

TEST_F(BatchResizeTest, AFolderAtAnOutputsNameFailsTheRunAtThatPicture)
{
    AddPhoto("jpeg/photos/obama.jpg", "a.jpg");
    AddPhoto("jpeg/photos/biden.jpg", "b.jpg");
    ASSERT_TRUE(QDir().mkpath(Target() + "002.jpg/inside"));
    const EResizeFailed failure = RunExpectingFailure(Job({"a.jpg", "b.jpg"}));
    EXPECT_EQ(failure.SequenceNumber(), 2);
    EXPECT_TRUE(failure.Cause().startsWith(QStringLiteral("无法替换 ")) && failure.Cause().contains("002.jpg"))
        << failure.Cause().toStdString();
    EXPECT_TRUE(QFileInfo(Target() + "002.jpg/inside").isDir());
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg"}));
}

TEST_F(BatchResizeTest, APhotoTooLargeToDecodeWholeIsSampledOrRefusedNamingTheLimit)
{
    // A 108-megapixel phone's photo: 324 MB decoded whole, past the 256 MiB
    // grid the component makes.
    WriteSquaresJpeg(Source() + "big.jpg", 12000, 9000);
    // Exact stretch samples the rows and columns it needs; smooth sampling
    // decodes at a reduced scale. Both draw the squares.
    for (const Sampling sampling : {Sampling::Exact, Sampling::Smooth}) {
        SCOPED_TRACE(static_cast<int>(sampling));
        BatchResizeJob job = BmpJob({"big.jpg"}, 120, 180);
        job.sampling = sampling;
        ASSERT_NO_THROW(RunBatchResize(job));
        const QImage output(Target() + "001.jpg", "BMP");
        ASSERT_EQ(output.size(), QSize(120, 180));
        // Output pixels whose part of the photo (100 x 50 pixels) lies inside
        // one square, at least 100 pixels from its edges across and 50 down.
        for (const auto& [x, y] : {std::pair{2, 3}, {61, 88}, {119, 178}, {37, 152}}) {
            const std::uint32_t want = SquareColour(x * 100 + 50, y * 50 + 25);
            const QRgb got = output.pixel(x, y);
            EXPECT_NEAR(qRed(got), int(want >> 16), 6) << x << ", " << y;
            EXPECT_NEAR(qGreen(got), int(want >> 8 & 0xFF), 6) << x << ", " << y;
            EXPECT_NEAR(qBlue(got), int(want & 0xFF), 6) << x << ", " << y;
        }
    }
    // An enlargement (more rows than the photo has) needs the whole decoding,
    // and so does smooth sampling at a size that needs every pixel.
    const struct {
        int width;
        int height;
        Sampling sampling;
    } refused[] = {{120, 10000, Sampling::Exact}, {6000, 4500, Sampling::Smooth}};
    for (const auto& row : refused) {
        SCOPED_TRACE(testing::Message() << row.width << " x " << row.height);
        BatchResizeJob job = Job({"big.jpg"}, row.width, row.height);
        job.sampling = row.sampling;
        const EResizeFailed failure = RunExpectingFailure(job);
        EXPECT_TRUE(failure.Cause().startsWith(QStringLiteral(
            "第 1 张图片 big.jpg：图片太大（12000 × 9000 像素）：这种调整方式要把整张图片解码，最多 8947 万像素")))
            << failure.Cause().toStdString();
    }
}
