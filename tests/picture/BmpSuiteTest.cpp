// The BMP suite: good files give the pixels of their reference renderings,
// questionable ones either do too or fail as not valid, bad ones fail with the
// component's error or, where their flaw lies in a field the reader does not
// use, load at their stated size.
#include "ReferenceImages.h"

namespace {

const std::string kNotValid = "Bitmap image is not valid";

struct SuiteFile {
    std::string file;                    // under bmpsuite/
    std::vector<std::string> references; // under bmpsuite/html/; any one may match; none: the size 127 x 64 only
    std::string error = {};              // the message the load fails with; empty: it loads
    bool mayLoad = false;                // loads matching a reference within one level, or fails so
};

// Questionable files either load or fail as not valid. Channels of unusual
// widths (3, 10, 11 bits...) have no one right way to 8 bits; the references
// differ from a rounded scaling by one level here and there.
std::vector<SuiteFile> Questionable(std::vector<SuiteFile> rows)
{
    for (SuiteFile& row : rows) {
        row.error = kNotValid;
        row.mayLoad = true;
    }
    return rows;
}

void PrintTo(const SuiteFile& row, std::ostream* out)
{
    *out << row.file;
}

std::string RowName(const ::testing::TestParamInfo<SuiteFile>& info)
{
    return NameOf(info.param.file);
}

::testing::AssertionResult MatchesAReference(const TBitmap& bitmap, const SuiteFile& row, int tolerance)
{
    if (row.references.empty())
        return SameSize(bitmap, 127, 64);
    std::string failures;
    for (const std::string& reference : row.references) {
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

class BmpSuite : public ::testing::TestWithParam<SuiteFile> { };

TEST_P(BmpSuite, DecodesToAReferenceOrFailsWithTheComponentsError)
{
    const SuiteFile& row = GetParam();
    TPicture picture;
    const std::string error = ErrorOf([&] { picture.LoadFromFile(TestData("bmpsuite/" + row.file)); });
    if (error != "no error" || (!row.error.empty() && !row.mayLoad)) {
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(picture.Graphic(), nullptr);
        return;
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(MatchesAReference(*bitmap, row, row.mayLoad ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(GoodAndBad, BmpSuite,
                         ::testing::ValuesIn(std::vector<SuiteFile>{
                             {"g/pal1.bmp", {"pal1.png"}},
                             {"g/pal1bg.bmp", {"pal1bg.png"}},
                             {"g/pal4.bmp", {"pal4.png"}},
                             {"g/pal4rle.bmp", {"pal4.png"}},
                             {"g/pal8-0.bmp", {"pal8.png"}},
                             {"g/pal8.bmp", {"pal8.png"}},
                             {"g/pal8gs.bmp", {"pal8gs.png"}},
                             // Stored 127 x 32 with a non-square pixel ratio the tool ignores.
                             {"g/pal8nonsquare.bmp", {"pal8nonsquare-e.png"}},
                             {"g/pal8os2.bmp", {"pal8.png"}},
                             {"g/pal8rle.bmp", {"pal8.png"}},
                             {"g/pal8topdown.bmp", {"pal8.png"}},
                             {"g/pal8v4.bmp", {"pal8.png"}},
                             {"g/pal8v5.bmp", {"pal8.png"}},
                             {"g/pal8w124.bmp", {"pal8w124.png"}},
                             {"g/pal8w125.bmp", {"pal8w125.png"}},
                             {"g/rgb16-565.bmp", {"rgb16-565.png"}},
                             {"g/rgb16-565pal.bmp", {"rgb16-565.png"}},
                             {"g/rgb16.bmp", {"rgb16.png"}},
                             {"g/rgb24.bmp", {"rgb24.png"}},
                             {"g/rgb24pal.bmp", {"rgb24.png"}},
                             {"g/rgb32.bmp", {"rgb24.png"}},
                             {"g/rgb32bf.bmp", {"rgb24.png"}},
                             // Flaws in fields the reader never relies on (resolution, file size,
                             // image size, header length), or pixels cut short: the missing rows
                             // are colour 0.
                             {"b/badbitssize.bmp", {}},
                             {"b/baddens1.bmp", {}},
                             {"b/baddens2.bmp", {}},
                             {"b/badfilesize.bmp", {}},
                             {"b/badheadersize.bmp", {}},
                             {"b/shortfile.bmp", {}},
                             {"b/badbitcount.bmp", {}, kNotValid},
                             {"b/badpalettesize.bmp", {}, kNotValid},
                             {"b/badplanes.bmp", {}, kNotValid},
                             {"b/badrle.bmp", {}, kNotValid},
                             {"b/badrle4.bmp", {}, kNotValid},
                             {"b/badrle4bis.bmp", {}, kNotValid},
                             {"b/badrleter.bmp", {}, kNotValid},
                             {"b/badwidth.bmp", {}, kNotValid},
                             {"b/pal8badindex.bmp", {}, kNotValid},
                             {"b/reallybig.bmp", {}, "Out of system resources"},
                             {"b/rletopdown.bmp", {}, kNotValid},
                             {"x/ba-bm.bmp", {}, kNotValid}}),
                         RowName);

INSTANTIATE_TEST_SUITE_P(
    Questionable, BmpSuite,
    ::testing::ValuesIn(Questionable({{"q/pal1huffmsb.bmp", {"pal1.png"}},
                                      {"q/pal1p1.bmp", {"pal1p1.png"}},
                                      {"q/pal2.bmp", {"pal2.png"}},
                                      {"q/pal2color.bmp", {"pal2color.png"}},
                                      {"q/pal4rlecut.bmp", {"pal4rlecut-b.png", "pal4rlecut-0.png"}},
                                      {"q/pal4rletrns.bmp", {"pal4rletrns-b.png", "pal4rletrns-0.png"}},
                                      {"q/pal8offs.bmp", {"pal8.png"}},
                                      {"q/pal8os2-hs.bmp", {"pal8.png"}},
                                      {"q/pal8os2-sz.bmp", {"pal8.png"}},
                                      {"q/pal8os2sp.bmp", {"pal8.png"}},
                                      {"q/pal8os2v2-16.bmp", {"pal8.png"}},
                                      {"q/pal8os2v2-40sz.bmp", {"pal8.png"}},
                                      {"q/pal8os2v2-sz.bmp", {"pal8.png"}},
                                      {"q/pal8os2v2.bmp", {"pal8.png"}},
                                      {"q/pal8rlecut.bmp", {"pal8rlecut-b.png", "pal8rlecut-0.png"}},
                                      {"q/pal8rletrns.bmp", {"pal8rletrns-b.png", "pal8rletrns-0.png"}},
                                      {"q/rgb16-231.bmp", {"rgb16-231.png"}},
                                      {"q/rgb16-3103.bmp", {"rgb16-3103.png"}},
                                      {"q/rgb16faketrns.bmp", {"rgb16.png", "rgb16faketrns.png"}},
                                      {"q/rgb24jpeg.bmp", {"rgb24.png"}},
                                      {"q/rgb24lprof.bmp", {"rgb24.png"}},
                                      {"q/rgb24png.bmp", {"rgb24.png"}},
                                      {"q/rgb24prof.bmp", {"rgb24.png"}},
                                      // Its colour profile swaps channels; the tool applies no profiles.
                                      {"q/rgb24prof2.bmp", {}},
                                      {"q/rgb24rle24.bmp", {"pal8.png"}},
                                      {"q/rgb32-111110.bmp", {"rgb24.png"}},
                                      {"q/rgb32-7187.bmp", {"rgb32-7187.png"}},
                                      {"q/rgb32-xbgr.bmp", {"rgb24.png"}},
                                      {"q/rgb32fakealpha.bmp", {"rgb24.png"}},
                                      {"q/rgb32h52.bmp", {"rgb24.png"}},
                                      {"q/rgba16-1924.bmp", {"rgba16-1924.png"}},
                                      {"q/rgba16-4444.bmp", {"rgba16-4444.png"}},
                                      {"q/rgba16-5551.bmp", {"rgba16-5551.png"}},
                                      {"q/rgba32-1.bmp", {"rgba32.png"}},
                                      {"q/rgba32-1010102.bmp", {"rgba32-1010102.png"}},
                                      {"q/rgba32-61754.bmp", {"rgba32-61754.png"}},
                                      {"q/rgba32-81284.bmp", {"rgba32-81284.png"}},
                                      {"q/rgba32abf.bmp", {"rgba32.png"}},
                                      {"q/rgba32h56.bmp", {"rgba32.png"}},
                                      {"q/rgba64.bmp", {"rgba32.png"}},
                                      {"b/rgb16-880.bmp", {"rgb16-880.png"}}})),
    RowName);

} // namespace
