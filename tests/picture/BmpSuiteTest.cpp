// The BMP suite: good files give the pixels of their reference renderings,
// questionable ones either do too or fail with the component's error, bad ones
// fail cleanly or, where their flaw lies in a field the reader does not use,
// load at their stated size.
#include "PictureTestSupport.h"

#include "common/picture/PictureErrors.h"
#include "common/picture/TBitmap.h"
#include "common/picture/TPicture.h"

#include <QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SuiteFile {
    std::string file;                     // under bmpsuite/
    std::vector<std::string> references;  // under bmpsuite/html/; any one may match; none: size only
};

std::string TestName(const ::testing::TestParamInfo<SuiteFile>& info)
{
    std::string name;
    for (char c : info.param.file)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

::testing::AssertionResult MatchesAReference(TBitmap& bitmap, const SuiteFile& file, int tolerance = 0)
{
    if (file.references.empty())
        return bitmap.Width() == 127 && bitmap.Height() == 64 ? ::testing::AssertionSuccess()
                                                             : ::testing::AssertionFailure() << "wrong size";
    std::string failures;
    for (const std::string& reference : file.references) {
        const QImage image(QString::fromStdString(TestData("bmpsuite/html/" + reference).string()));
        if (image.isNull())
            return ::testing::AssertionFailure() << "cannot read reference " << reference;
        const ::testing::AssertionResult same = SamePixels(bitmap, image, tolerance);
        if (same)
            return same;
        failures += reference + ": " + same.message() + "; ";
    }
    return ::testing::AssertionFailure() << failures;
}

class GoodBmp : public ::testing::TestWithParam<SuiteFile> {};

TEST_P(GoodBmp, DecodesToTheReferencePixels)
{
    TPicture picture;
    ASSERT_NO_THROW(picture.LoadFromFile(TestData("bmpsuite/" + GetParam().file)));
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(MatchesAReference(*bitmap, GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    BmpSuite, GoodBmp,
    ::testing::Values(SuiteFile{"g/pal1.bmp", {"pal1.png"}}, SuiteFile{"g/pal1bg.bmp", {"pal1bg.png"}},
                      SuiteFile{"g/pal4.bmp", {"pal4.png"}}, SuiteFile{"g/pal4rle.bmp", {"pal4.png"}},
                      SuiteFile{"g/pal8-0.bmp", {"pal8.png"}}, SuiteFile{"g/pal8.bmp", {"pal8.png"}},
                      SuiteFile{"g/pal8gs.bmp", {"pal8gs.png"}},
                      // Stored 127 x 32 with a non-square pixel ratio the tool ignores.
                      SuiteFile{"g/pal8nonsquare.bmp", {"pal8nonsquare-e.png"}},
                      SuiteFile{"g/pal8os2.bmp", {"pal8.png"}}, SuiteFile{"g/pal8rle.bmp", {"pal8.png"}},
                      SuiteFile{"g/pal8topdown.bmp", {"pal8.png"}}, SuiteFile{"g/pal8v4.bmp", {"pal8.png"}},
                      SuiteFile{"g/pal8v5.bmp", {"pal8.png"}}, SuiteFile{"g/pal8w124.bmp", {"pal8w124.png"}},
                      SuiteFile{"g/pal8w125.bmp", {"pal8w125.png"}},
                      SuiteFile{"g/rgb16-565.bmp", {"rgb16-565.png"}},
                      SuiteFile{"g/rgb16-565pal.bmp", {"rgb16-565.png"}}, SuiteFile{"g/rgb16.bmp", {"rgb16.png"}},
                      SuiteFile{"g/rgb24.bmp", {"rgb24.png"}}, SuiteFile{"g/rgb24pal.bmp", {"rgb24.png"}},
                      SuiteFile{"g/rgb32.bmp", {"rgb24.png"}}, SuiteFile{"g/rgb32bf.bmp", {"rgb24.png"}}),
    TestName);

class QuestionableBmp : public ::testing::TestWithParam<SuiteFile> {};

TEST_P(QuestionableBmp, DecodesToAReferenceOrFailsWithAPictureError)
{
    TPicture picture;
    try {
        picture.LoadFromFile(TestData("bmpsuite/" + GetParam().file));
    } catch (const EInvalidGraphic& error) {
        EXPECT_STREQ(error.what(), "Bitmap image is not valid");
        return;
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(bitmap, nullptr);
    // Channels of unusual widths (3, 10, 11 bits...) have no one right way
    // to 8 bits; the references differ from a rounded scaling by one level
    // here and there.
    EXPECT_TRUE(MatchesAReference(*bitmap, GetParam(), 1));
}

INSTANTIATE_TEST_SUITE_P(
    BmpSuite, QuestionableBmp,
    ::testing::Values(
        SuiteFile{"q/pal1huffmsb.bmp", {"pal1.png"}}, SuiteFile{"q/pal1p1.bmp", {"pal1p1.png"}},
        SuiteFile{"q/pal2.bmp", {"pal2.png"}}, SuiteFile{"q/pal2color.bmp", {"pal2color.png"}},
        SuiteFile{"q/pal4rlecut.bmp", {"pal4rlecut-b.png", "pal4rlecut-0.png"}},
        SuiteFile{"q/pal4rletrns.bmp", {"pal4rletrns-b.png", "pal4rletrns-0.png"}},
        SuiteFile{"q/pal8offs.bmp", {"pal8.png"}}, SuiteFile{"q/pal8os2-hs.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2-sz.bmp", {"pal8.png"}}, SuiteFile{"q/pal8os2sp.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2v2-16.bmp", {"pal8.png"}}, SuiteFile{"q/pal8os2v2-40sz.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8os2v2-sz.bmp", {"pal8.png"}}, SuiteFile{"q/pal8os2v2.bmp", {"pal8.png"}},
        SuiteFile{"q/pal8rlecut.bmp", {"pal8rlecut-b.png", "pal8rlecut-0.png"}},
        SuiteFile{"q/pal8rletrns.bmp", {"pal8rletrns-b.png", "pal8rletrns-0.png"}},
        SuiteFile{"q/rgb16-231.bmp", {"rgb16-231.png"}}, SuiteFile{"q/rgb16-3103.bmp", {"rgb16-3103.png"}},
        SuiteFile{"q/rgb16faketrns.bmp", {"rgb16.png", "rgb16faketrns.png"}},
        SuiteFile{"q/rgb24jpeg.bmp", {"rgb24.png"}}, SuiteFile{"q/rgb24lprof.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb24png.bmp", {"rgb24.png"}}, SuiteFile{"q/rgb24prof.bmp", {"rgb24.png"}},
        // Its colour profile swaps channels; the tool applies no profiles.
        SuiteFile{"q/rgb24prof2.bmp", {}}, SuiteFile{"q/rgb24rle24.bmp", {"pal8.png"}},
        SuiteFile{"q/rgb32-111110.bmp", {"rgb24.png"}}, SuiteFile{"q/rgb32-7187.bmp", {"rgb32-7187.png"}},
        SuiteFile{"q/rgb32-xbgr.bmp", {"rgb24.png"}}, SuiteFile{"q/rgb32fakealpha.bmp", {"rgb24.png"}},
        SuiteFile{"q/rgb32h52.bmp", {"rgb24.png"}}, SuiteFile{"q/rgba16-1924.bmp", {"rgba16-1924.png"}},
        SuiteFile{"q/rgba16-4444.bmp", {"rgba16-4444.png"}}, SuiteFile{"q/rgba16-5551.bmp", {"rgba16-5551.png"}},
        SuiteFile{"q/rgba32-1.bmp", {"rgba32.png"}}, SuiteFile{"q/rgba32-1010102.bmp", {"rgba32-1010102.png"}},
        SuiteFile{"q/rgba32-61754.bmp", {"rgba32-61754.png"}}, SuiteFile{"q/rgba32-81284.bmp", {"rgba32-81284.png"}},
        SuiteFile{"q/rgba32abf.bmp", {"rgba32.png"}}, SuiteFile{"q/rgba32h56.bmp", {"rgba32.png"}},
        SuiteFile{"q/rgba64.bmp", {"rgba32.png"}}, SuiteFile{"b/rgb16-880.bmp", {"rgb16-880.png"}}),
    TestName);

// Bad files: each fails with the component's error and message, except those
// whose flaw is in a field the reader never relies on (resolution, file
// size, image size, header length) or that are only cut short in their
// pixels, which load with the missing rows in colour 0.
struct BadFile {
    std::string file;
    std::string message;   // empty: loads
};

class BadBmp : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadBmp, FailsWithTheComponentsErrorOrLoadsAtItsStatedSize)
{
    TPicture picture;
    if (GetParam().message.empty()) {
        ASSERT_NO_THROW(picture.LoadFromFile(TestData("bmpsuite/" + GetParam().file)));
        EXPECT_EQ(picture.Width(), 127);
        EXPECT_EQ(picture.Height(), 64);
        return;
    }
    try {
        picture.LoadFromFile(TestData("bmpsuite/" + GetParam().file));
        ADD_FAILURE() << "loaded";
    } catch (const EPictureError& error) {
        EXPECT_EQ(error.what(), GetParam().message);
    }
    EXPECT_EQ(picture.Graphic(), nullptr);
}

const std::string kNotValid = "Bitmap image is not valid";

INSTANTIATE_TEST_SUITE_P(BmpSuite, BadBmp,
                         ::testing::Values(BadFile{"b/badbitcount.bmp", kNotValid}, BadFile{"b/badbitssize.bmp", ""},
                                           BadFile{"b/baddens1.bmp", ""}, BadFile{"b/baddens2.bmp", ""},
                                           BadFile{"b/badfilesize.bmp", ""}, BadFile{"b/badheadersize.bmp", ""},
                                           BadFile{"b/badpalettesize.bmp", kNotValid},
                                           BadFile{"b/badplanes.bmp", kNotValid}, BadFile{"b/badrle.bmp", kNotValid},
                                           BadFile{"b/badrle4.bmp", kNotValid},
                                           BadFile{"b/badrle4bis.bmp", kNotValid},
                                           BadFile{"b/badrleter.bmp", kNotValid}, BadFile{"b/badwidth.bmp", kNotValid},
                                           BadFile{"b/pal8badindex.bmp", kNotValid},
                                           BadFile{"b/reallybig.bmp", "Out of system resources"},
                                           BadFile{"b/rletopdown.bmp", kNotValid}, BadFile{"b/shortfile.bmp", ""},
                                           BadFile{"x/ba-bm.bmp", kNotValid}),
                         [](const ::testing::TestParamInfo<BadFile>& info) {
                             std::string name;
                             for (char c : info.param.file)
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(BmpReader, ATruncatedFileKeepsWhatItHasAndTheRestInColourZero)
{
    TBitmap whole;
    whole.LoadFromFile(TestData("bmpsuite/g/pal8.bmp"));
    std::vector<std::uint8_t> bytes = ReadBytes(TestData("bmpsuite/g/pal8.bmp"));
    // Keep the headers, the table and the bottom 10 rows (128 bytes each).
    bytes.resize(1062 + 10 * 128);
    TBitmap cut;
    cut.LoadFromStream(bytes);
    for (std::int32_t y = 0; y < 64; ++y)
        for (std::int32_t x = 0; x < 127; ++x)
            ASSERT_EQ(cut.Canvas().GetPixel(x, y), y >= 54 ? whole.Canvas().GetPixel(x, y)
                                                           : cut.ColorTable()[0])
                << x << "," << y;
}

} // namespace
