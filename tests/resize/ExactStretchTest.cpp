// Stretch mode's exact sampling draws what it always drew: the outputs of a
// range of photos, sizes and display depths, written as BMP data byte for
// byte, against digests of the files the resize wrote before smooth sampling
// and the faster exact decoding came in.

#include "resize/BatchResize.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SavedOutput {
    const char* photo;
    int width;
    int height;
    int bits; // display depth
    const char* md5;
};

// Photos of every kind the decoder meets: baseline and progressive, 2x2 and
// 2x1 subsampled, grey (quantised), CMYK, EXIF-turned, restart markers, a
// 6000 x 4000 camera original, pictures smaller than the output, and odd
// sizes; reduced, enlarged, to one pixel; at 32, 24 and 8 bits.
const SavedOutput kSavedOutputs[] = {
#include "ExactStretchOutputs.inc"
};

QString Md5Of(const QString& path)
{
    return QString::fromLatin1(QCryptographicHash::hash(ReadFile(path), QCryptographicHash::Md5).toHex());
}

} // namespace

TEST(ExactStretch, WritesTodaysOutputsByteForByte)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString source = temp.filePath("source") + '/';
    const QString target = temp.filePath("target") + '/';
    ASSERT_TRUE(QDir().mkpath(source));
    ASSERT_TRUE(QDir().mkpath(target));
    for (const SavedOutput& saved : kSavedOutputs) {
        SCOPED_TRACE(testing::Message() << saved.photo << " " << saved.width << " x " << saved.height << " at "
                                        << saved.bits << " bits");
        QFile::remove(source + "a.jpg");
        ASSERT_TRUE(QFile::copy(TestDataPath(saved.photo), source + "a.jpg"));
        BatchResizeJob job{source, {"a.jpg"}, target, saved.width, saved.height, FitMode::Stretch};
        job.displayDepth = DisplayColorDepth(saved.bits);
        job.overwrite = true;
        job.workers = 1;
        job.format = ResizeOutputFormat::Bmp; // the drawn pixels as they are
        RunBatchResize(job);
        EXPECT_EQ(Md5Of(target + "001.jpg").toStdString(), saved.md5);
    }
}
