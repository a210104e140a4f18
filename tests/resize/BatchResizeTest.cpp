#include "resize/BatchResize.h"

#include "ReferencePictures.h"
#include "ResizeFixture.h"
#include "faces/FaceDetector.h"
#include "faces/OpenCvThreads.h"
#include "files/FileSystemPath.h"
#include "picture/PictureHeaders.h"
#include "picture/TBitmap.h"
#include "picture/TJPEGImage.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

TEST(ParseSideLength, WholeNumbersOnly)
{
    const std::pair<const char*, std::optional<std::int32_t>> rows[] = {
        {"120", 120},
        {" 180 ", 180},
        {"+7", 7},
        {"1", 1},
        {"10000", 10000},
        {"10001", std::nullopt},
        {"-5", std::nullopt},
        {"0", std::nullopt},
        {"2147483647", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"12.5", std::nullopt},
        {"12abc", std::nullopt},
        {"0x10", std::nullopt},
        {"2147483648", std::nullopt},
        {"１２０", std::nullopt},
    };
    for (const auto& [text, value] : rows)
        EXPECT_EQ(ParseSideLength(QString::fromUtf8(text)), value) << '"' << text << '"';
    EXPECT_EQ(SideLengthProblem(QStringLiteral("宽度"), "abc"),
              QStringLiteral("图片宽度“abc”不是 1 到 10000 之间的整数"));
}

TEST(ByteSizeText, KilobytesWithATenthBelowTenThenWholeThenMegabytes)
{
    const std::pair<std::uint64_t, const char*> rows[] = {
        {0, "0.0 KB"},      {512, "0.5 KB"},      {8806, "8.6 KB"},    {10188, "9.9 KB"},     {10240, "10 KB"},
        {264192, "258 KB"}, {1048063, "1023 KB"}, {1048576, "1.0 MB"}, {25480396, "24.3 MB"}, {5368709120, "5120.0 MB"},
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(ByteSizeText(bytes), QString::fromUtf8(text)) << bytes;
}

TEST_F(BatchResizeTest, ThreePhotographsGiveNumberedSamplesOfTheirDecoding)
{
    // A small square stretched (a kept aspect ratio or a border would not
    // match the sample), a progressive portrait, a 2x2-subsampled photo.
    const std::pair<const char*, const char*> photos[] = {
        {"jpeg/photos/hopper.jpg", "a.jpg"},
        {"jpeg/photos/obama_backstage_the_white_house.jpg", "b.JPG"},
        {"jpeg/photos/Portrait_1.jpg", "丙.jpg"},
    };
    for (const auto& [file, name] : photos)
        AddPhoto(file, name);

    std::vector<std::pair<int, int>> reports;
    RunBatchResize(BmpJob({"a.jpg", "b.JPG", "丙.jpg"}),
                   [&reports](int n, int total) { reports.emplace_back(n, total); });

    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg", "003.jpg"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QFileInfo(Target() + ResizeOutputName(i + 1)).size(), 86454);
        EXPECT_TRUE(IsSampleOf(Target() + ResizeOutputName(i + 1), TestDataPath(photos[i].first), {120, 180}));
    }
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(BatchResizeTest, OutputsHaveTheDepthOfTheDisplayTheJobIsFor)
{
    AddPhoto("jpeg/photos/hopper.jpg", "a.jpg");
    // Rows: bits per pixel, size of the 120 x 180 file.
    for (const auto& [bits, fileSize] : {std::pair{8, 22678}, {16, 43254}, {24, 64854}}) {
        BatchResizeJob job = BmpJob({"a.jpg"});
        job.displayDepth = DisplayColorDepth(bits);
        RunBatchResize(job);
        const QByteArray bmp = ReadFile(Target() + "001.jpg");
        EXPECT_EQ(bmp.size(), fileSize) << bits;
        EXPECT_EQ(bmp.at(28), bits);
    }
}

TEST_F(BatchResizeTest, EachRunSamplesItsPartOfThePhotoAtItsOwnSize)
{
    // One run after another into one target: each starts from a surface of
    // its own size. Grey photos are sampled from their quantised decoding,
    // enlarged and reduced (dithering carries from row to row, so a reduction
    // must still see every row). Crop takes the largest centred region of the
    // output's proportions: the cut side is the other side times them,
    // rounded; the leftover is split, the odd pixel going right or down. All
    // with exact sampling, stretch mode's default and crop mode's on request.
    const QStringList grey{"-colors", "236"};
    const struct {
        const char* file;
        QSize size;
        FitMode fit;
        QStringList djpeg;
        QRect region;
    } rows[] = {
        {"jpeg/photos/hopper_gray.jpg", {200, 300}, FitMode::Stretch, grey, {}},
        {"jpeg/photos/derived_biden_gray.jpg", {120, 180}, FitMode::Stretch, grey, {}},
        {"jpeg/photos/obama-240p.jpg", {120, 180}, FitMode::Crop, {}, {133, 0, 160, 240}}, // 427 x 240: a middle band
        {"jpeg/photos/biden.jpg", {120, 180}, FitMode::Crop, {}, {0, 374, 970, 1455}},     // 970 x 2204: a middle strip
        {"jpeg/photos/hopper.jpg", {120, 180}, FitMode::Crop, {}, {21, 0, 85, 128}},
        {"jpeg/photos/hopper.jpg", {90, 60}, FitMode::Crop, {}, {0, 21, 128, 85}},
    };
    for (const auto& row : rows) {
        WriteFile(Source() + "a.jpg", ReadFile(TestDataPath(row.file)));
        BatchResizeJob job = BmpJob({"a.jpg"}, row.size.width(), row.size.height());
        job.fit = row.fit;
        job.sampling = Sampling::Exact;
        RunBatchResize(job);
        EXPECT_TRUE(IsSampleOf(Target() + "001.jpg", TestDataPath(row.file), row.size, row.djpeg, row.region));
    }
}

TEST_F(BatchResizeTest, ImpossibleSizesFailBeforeAnyFileIsWritten)
{
    AddPhoto("jpeg/photos/hopper.jpg", "a.jpg");
    const std::pair<int, int> sizes[] = {{0, 180}, {120, 0}, {-1, 180}, {120, -180}, {10001, 180}, {100000, 100000}};
    for (const auto& [width, height] : sizes) {
        const EResizeFailed failure = RunExpectingFailure(Job({"a.jpg"}, width, height));
        EXPECT_EQ(QString::fromUtf8(failure.what()), kResizeFailedMessage);
        EXPECT_TRUE(failure.Cause().startsWith(QStringLiteral("图片宽度和高度必须是 1 到 10000 之间的整数")))
            << failure.Cause().toStdString();
        EXPECT_EQ(failure.SequenceNumber(), 0) << width << " x " << height;
        EXPECT_EQ(TargetFiles(), QStringList()) << width << " x " << height;
    }
}

TEST_F(BatchResizeTest, MissingFolderStringsAreRefused)
{
    BatchResizeJob noSource = Job({});
    noSource.sourceFolder.clear();
    BatchResizeJob noTarget = Job({});
    noTarget.targetFolder.clear();
    for (const BatchResizeJob& job : {noSource, noTarget})
        EXPECT_EQ(ErrorOf<EResizeFoldersNotChosen>([&] { RunBatchResize(job); }), "没有选择图片路径");
}

TEST_F(BatchResizeTest, ATargetThatIsTheSourceOrInsideItIsRefusedBeforeAnythingIsWritten)
{
    AddPhoto("jpeg/photos/hopper.jpg", "001.jpg");
    AddPhoto("jpeg/photos/obama-240p.jpg", "x.jpg");
    const QString inside = Source() + "out/";
    ASSERT_TRUE(QDir().mkpath(inside));
    struct Row {
        QString target;
        const char* cause;
    };
    std::vector<Row> rows{
        {Source(), "目标图片路径就是源图片路径"},
        {inside, "目标图片路径在源图片路径之内"},
    };
#ifndef _WIN32 // symbolic links need a privilege Windows users lack
    const QString linked = temp.filePath("link-to-source") + '/';
    ASSERT_TRUE(QFile::link(temp.filePath("source"), temp.filePath("link-to-source")));
    rows.push_back({linked, "目标图片路径就是源图片路径"});
#endif
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target.toStdString());
        BatchResizeJob job{Source(), {"001.jpg", "x.jpg"}, row.target, 120, 180};
        job.overwrite = true; // the originals are not "pictures already there" to be replaced
        const EResizeFailed failure = RunExpectingFailure(job);
        EXPECT_EQ(failure.SequenceNumber(), 0);
        EXPECT_TRUE(failure.Cause().startsWith(QString::fromUtf8(row.cause))) << failure.Cause().toStdString();
        EXPECT_EQ(ReadFile(Source() + "001.jpg"), ReadFile(TestDataPath("jpeg/photos/hopper.jpg")));
        EXPECT_EQ(QDir(Source()).entryList(QDir::Files, QDir::Name), (QStringList{"001.jpg", "x.jpg"}));
        EXPECT_TRUE(QDir(inside).isEmpty());
    }
}

TEST_F(BatchResizeTest, PicturesAlreadyInTheTargetAreReplacedOnlyWhenTheJobAllowsIt)
{
    AddPhoto("jpeg/photos/hopper.jpg", "a.jpg");
    AddPhoto("jpeg/photos/obama-240p.jpg", "b.jpg");
    AddPhoto("jpeg/photos/obama-240p.jpg", "c.jpg");
    WriteFile(Target() + "002.jpg", "older 2");
    WriteFile(Target() + "003.jpg", "older 3");
    WriteFile(Target() + "004.jpg", "not in the way");
    BatchResizeJob job{Source(), {"a.jpg", "b.jpg", "c.jpg"}, Target(), 120, 180};
    EXPECT_EQ(OutputsThatExist(job), (QStringList{"002.jpg", "003.jpg"}));

    try {
        RunBatchResize(job);
        ADD_FAILURE() << "the run did not refuse";
    } catch (const EResizeWouldOverwrite& refusal) {
        EXPECT_EQ(refusal.Existing(), (QStringList{"002.jpg", "003.jpg"}));
        EXPECT_EQ(QString::fromUtf8(refusal.what()), QStringLiteral("目标文件夹中已有 2 张同名图片，会被覆盖"));
    }
    EXPECT_EQ(TargetFiles(), (QStringList{"002.jpg", "003.jpg", "004.jpg"}));
    EXPECT_EQ(ReadFile(Target() + "002.jpg"), QByteArray("older 2"));

    job.overwrite = true;
    job.format = ResizeOutputFormat::Bmp;
    RunBatchResize(job);
    EXPECT_TRUE(IsSampleOf(Target() + "002.jpg", TestDataPath("jpeg/photos/obama-240p.jpg"), {120, 180}));
    EXPECT_EQ(ReadFile(Target() + "004.jpg"), QByteArray("not in the way"));
}

TEST_F(BatchResizeTest, AFailureNamesThePictureAndWhatWentWrongWithIt)
{
    AddPhoto("jpeg/photos/hopper.jpg", "a.jpg");
    WriteFile(Source() + "own output.jpg", ReadFile(TestDataPath("bmpsuite/g/rgb24.bmp")));
    WriteFile(Source() + "cut.jpg", ReadFile(TestDataPath("jpeg/photos/hopper.jpg")).left(2));
    const struct {
        const char* name;
        const char* cause;
    } rows[] = {
        {"gone.jpg", "第 2 张图片 gone.jpg：无法打开文件（Cannot open file"},
        {"own output.jpg", "第 2 张图片 own output.jpg：文件里是 BMP 数据，不是 JPEG 图片"},
        {"cut.jpg", "第 2 张图片 cut.jpg：不是完好的 JPEG 图片（"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const EResizeFailed failure = RunExpectingFailure(Job({"a.jpg", QString::fromUtf8(row.name)}));
        EXPECT_EQ(failure.SequenceNumber(), 2);
        EXPECT_TRUE(failure.Cause().startsWith(QString::fromUtf8(row.cause))) << failure.Cause().toStdString();
        EXPECT_EQ(ResizeFailureText(failure.Cause()), kResizeFailedMessage + "\n\n出错原因：" + failure.Cause());
    }
}

TEST_F(BatchResizeTest, NamesOfTwelveAndOf1001Pictures)
{
    // Tiny pictures keep 1,001 decodes and writes cheap; one source file
    // listed many times is enough.
    AddPhoto("jpeg/special/mozilla-jpg-size-8x8.jpg", "tiny.jpg");
    for (const int count : {12, 1001}) {
        SCOPED_TRACE(count);
        int lastReported = 0;
        RunBatchResize(Job(QStringList(count, "tiny.jpg"), 4, 6), [&lastReported](int n, int) { lastReported = n; });

        const QStringList written = TargetFiles();
        EXPECT_EQ(lastReported, count);
        EXPECT_EQ(written.size(), count);
        EXPECT_TRUE(written.contains("001.jpg") && written.contains("012.jpg"));
        EXPECT_EQ(written.contains("013.jpg"), count > 12);
        EXPECT_EQ(written.contains("999.jpg") && written.contains("1000.jpg") && written.contains("1001.jpg"),
                  count == 1001);
        const QByteArray last = ReadFile(Target() + ResizeOutputName(count));
        const JpegHeader header =
            ReadJpegHeader({reinterpret_cast<const std::uint8_t*>(last.data()), static_cast<std::size_t>(last.size())});
        EXPECT_EQ(header.Width, 4);
        EXPECT_EQ(header.Height, 6);
    }
}

TEST_F(BatchResizeTest, AnEmptyListWritesNothingAndSucceeds)
{
    std::vector<std::pair<int, int>> reports;
    RunBatchResize(Job({}), [&reports](int n, int total) { reports.emplace_back(n, total); });
    EXPECT_EQ(TargetFiles(), QStringList());
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_F(BatchResizeTest, FaceModeFramesTheLargestFaceAndCropsPicturesWithoutOne)
{
    // Portraits, a photo stored sideways, and a landscape photo of two people.
    const QStringList faces{"obama.jpg", "biden.jpg", "obama2.jpg", "hopper_orientation_6.jpg", "obama_and_biden.jpg"};
    for (const QString& name : faces)
        AddPhoto("jpeg/photos/" + name, name);
    AddPhoto("jpeg/libjpeg-turbo/testorig.jpg", "objects.jpg");
    AddPhoto("jpeg/photos/concert.jpg", "crowd.jpg");
    BatchResizeJob job = Job(faces + QStringList{"objects.jpg", "crowd.jpg"});
    job.fit = FitMode::Face;
    const BatchResizeReport report = RunBatchResize(job);
    EXPECT_EQ(report.withoutFace, (QStringList{"objects.jpg", "crowd.jpg"}));

    // Each output's own largest face sits centred across, about half its height.
    FaceDetector detector;
    for (int n = 1; n <= faces.size(); ++n) {
        SCOPED_TRACE(faces[n - 1].toStdString());
        const QByteArray bytes = ReadFile(Target() + ResizeOutputName(n));
        TJPEGImage output;
        output.LoadFromStream(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())});
        const std::optional<TRect> face = detector.LargestFace(output.DecodedBitmap());
        ASSERT_TRUE(face.has_value());
        EXPECT_NEAR((face->Left + face->Right) / 2.0, 60, 12);
        EXPECT_NEAR(face->Height(), 90, 25);
    }

    // Without a face: byte for byte what crop mode writes.
    const QString cropTarget = temp.filePath("crop") + '/';
    ASSERT_TRUE(QDir().mkpath(cropTarget));
    BatchResizeJob crop{Source(), {"objects.jpg", "crowd.jpg"}, cropTarget, 120, 180, FitMode::Crop};
    RunBatchResize(crop);
    EXPECT_EQ(ReadFile(Target() + ResizeOutputName(faces.size() + 1)), ReadFile(cropTarget + "001.jpg"));
    EXPECT_EQ(ReadFile(Target() + ResizeOutputName(faces.size() + 2)), ReadFile(cropTarget + "002.jpg"));
    EXPECT_EQ(
        ResizeSucceededText(report),
        QStringLiteral("图片大小调整成功！\n共 7 张，%1\n其中 2 张图片未找到人脸，已按裁剪处理：objects.jpg、crowd.jpg")
            .arg(ByteSizeText(TargetBytes())));
}

TEST_F(BatchResizeTest, FaceModeWithoutItsModelCropsEveryPictureAndSaysSo)
{
    AddPhoto("jpeg/photos/obama.jpg", "a.jpg");
    AddPhoto("jpeg/photos/concert.jpg", "b.jpg");
    const QString missing = temp.filePath("none/haarcascade_frontalface_alt2.xml");
    BatchResizeJob job = Job({"a.jpg", "b.jpg"});
    job.fit = FitMode::Face;
    job.faceModel = FileSystemPath(missing);
    job.workers = 2;
    BatchResizeReport report;
    EXPECT_NO_THROW(report = RunBatchResize(job));
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.withoutFace, QStringList());
    EXPECT_EQ(ResizeSucceededText(report),
              QStringLiteral("图片大小调整成功！\n共 2 张，%1\n人脸检测模型无法载入：%2，全部图片已按裁剪处理")
                  .arg(ByteSizeText(TargetBytes()), missing));

    const QString cropTarget = temp.filePath("crop") + '/';
    ASSERT_TRUE(QDir().mkpath(cropTarget));
    RunBatchResize({Source(), {"a.jpg", "b.jpg"}, cropTarget, 120, 180, FitMode::Crop});
    EXPECT_EQ(ReadFile(Target() + "001.jpg"), ReadFile(cropTarget + "001.jpg"));
    EXPECT_EQ(ReadFile(Target() + "002.jpg"), ReadFile(cropTarget + "002.jpg"));
}

TEST_F(BatchResizeTest, OneAndFourWorkersWriteTheSameFilesByteForByte)
{
    const QStringList names{"obama.jpg",       "hopper_orientation_6.jpg", "concert.jpg",    "obama_and_biden.jpg",
                            "hopper_gray.jpg", "obama-240p.jpg",           "Portrait_1.jpg", "hopper.jpg"};
    for (const QString& name : names)
        AddPhoto("jpeg/photos/" + name, name);
    for (const FitMode fit : {FitMode::Stretch, FitMode::Face}) {
        QStringList targets;
        for (const int workers : {1, 4}) {
            targets << temp.filePath(QStringLiteral("%1-%2").arg(static_cast<int>(fit)).arg(workers)) + '/';
            ASSERT_TRUE(QDir().mkpath(targets.last()));
            RunBatchResize({Source(), names, targets.last(), 120, 180, fit, workers});
        }
        for (int n = 1; n <= names.size(); ++n) {
            const QByteArray one = ReadFile(targets[0] + ResizeOutputName(n));
            EXPECT_FALSE(one.isEmpty());
            EXPECT_TRUE(one == ReadFile(targets[1] + ResizeOutputName(n))) << ResizeOutputName(n).toStdString();
        }
        EXPECT_EQ(QDir(targets[1]).entryList(QDir::Files).size(), names.size());
    }
}

TEST_F(BatchResizeTest, WithSeveralWorkersTheFirstFailureInListOrderEndsTheRun)
{
    // Tiny pictures: the workers run far ahead of the writing. A picture gone
    // since the listing stops the run there; the later one that is no JPEG
    // file is not reached.
    AddPhoto("jpeg/special/mozilla-jpg-size-8x8.jpg", "tiny.jpg");
    WriteFile(Source() + "bad.jpg", "BM not a jpeg");
    QStringList names(20, "tiny.jpg");
    names[6] = "missing.jpg";
    names[13] = "bad.jpg";
    const BatchResizeJob job{Source(), names, Target(), 4, 6, FitMode::Stretch, 4};
    const EResizeFailed failure = RunExpectingFailure(job);
    EXPECT_EQ(failure.SequenceNumber(), 7);
    EXPECT_TRUE(failure.Cause().contains("missing.jpg")) << failure.Cause().toStdString();
    EXPECT_EQ(TargetFiles(), (QStringList{"001.jpg", "002.jpg", "003.jpg", "004.jpg", "005.jpg", "006.jpg"}));
}

TEST_F(BatchResizeTest, PicturesInFlightStayBoundedOverALongListAndAStopKeepsWhatWasWritten)
{
    AddPhoto("jpeg/special/mozilla-jpg-size-8x8.jpg", "tiny.jpg");
    const BatchResizeJob job{Source(), QStringList(300, "tiny.jpg"), Target(), 4, 6, FitMode::Stretch, 4};
    // A slow writer: without a bound the workers would hold most of the list.
    const BatchResizeReport report =
        RunBatchResize(job, [](int, int) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
    EXPECT_EQ(report.written, 300);
    EXPECT_GE(report.peakInFlight, 1);
    EXPECT_LE(report.peakInFlight, 2 * 4);

    // A stop asked for while the 5th output is about to be written: it is
    // written, nothing after it.
    const QString stopped = temp.filePath("stopped") + '/';
    ASSERT_TRUE(QDir().mkpath(stopped));
    std::stop_source stop;
    const BatchResizeReport partial = RunBatchResize(
        {Source(), QStringList(300, "tiny.jpg"), stopped, 4, 6, FitMode::Stretch, 4},
        [&stop](int n, int) {
            if (n == 5)
                stop.request_stop();
        },
        stop.get_token());
    EXPECT_TRUE(partial.stopped);
    EXPECT_EQ(partial.written, 5);
    EXPECT_EQ(QDir(stopped).entryList(QDir::Files).size(), 5);
}
