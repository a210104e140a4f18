// Pictures: loading by extension, the registry, replacing and emptying,
// change reports and the canvas of a picture shown in an area.
#include "PictureTestSupport.h"
#include "picture/PictureCanvas.h"
#include "picture/TFileFormatsList.h"

#include <sys/stat.h>

namespace {

TEST(FileFormats, ExtensionIsTheTextAfterTheLastDotOfTheName)
{
    for (auto [name, extension] : {std::pair{"a.JPG", "jpg"},
                                   {"x/y.z/a.Jpeg", "jpeg"},
                                   {"照片.JPG", "jpg"},
                                   {"photo", ""},
                                   {"folder.jpg/photo", ""},
                                   {"c:photo", ""},
                                   {"a.b\\photo", ""},
                                   {"a.", ""}})
        EXPECT_EQ(GraphicExtension(name), extension) << name;
}

class PictureFiles : public ::testing::Test {
protected:
    std::filesystem::path Path(const std::string& name) const { return folder_.Path() / name; }
    std::filesystem::path Copy(const std::string& testData, const std::string& name)
    {
        std::filesystem::copy_file(TestData(testData), Path(name), std::filesystem::copy_options::overwrite_existing);
        return Path(name);
    }
    ScratchFolder folder_;
};

TEST_F(PictureFiles, TheExtensionChoosesTheKindInAnyLetterCase)
{
    for (const char* name : {"a.JPG", "a.Jpg", "a.jpeg", "a.jpg"}) {
        TPicture picture;
        picture.LoadFromFile(Copy("jpeg/photos/hopper.jpg", name));
        EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr) << name;
        EXPECT_EQ(picture.Width(), 128);
    }
    TPicture picture;
    picture.LoadFromFile(Copy("bmpsuite/g/rgb24.bmp", "a.bmp"));
    EXPECT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 127);
    EXPECT_EQ(picture.Height(), 64);
}

TEST_F(PictureFiles, OpenAndCreateFailuresNameTheFullPathAndTheReason)
{
    TPicture picture;
    const std::filesystem::path missing = Path("missing.jpg");
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { picture.LoadFromFile(missing); }),
              "Cannot open file \"" + Utf8(missing) + "\". No such file or directory");
    EXPECT_EQ(picture.Graphic(), nullptr);

    picture.Bitmap().SetSize(2, 2);
    const std::filesystem::path unwritable = Path("no-such-folder") / "001.jpg";
    EXPECT_EQ(ErrorOf<EFCreateError>([&] { picture.SaveToFile(unwritable); }),
              "Cannot create file \"" + Utf8(unwritable) + "\". No such file or directory");
}

TEST_F(PictureFiles, AFailedLoadOrAnUnknownExtensionLeavesThePictureAsItWas)
{
    TPicture picture;
    picture.LoadFromFile(Copy("jpeg/photos/hopper.jpg", "good.jpg"));
    TGraphic* held = picture.Graphic();
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    EXPECT_THROW(picture.LoadFromFile(Copy("bmpsuite/g/rgb24.bmp", "bmp-named.jpg")), EJPEG);
    EXPECT_THROW(picture.LoadFromFile(Copy("bmpsuite/b/badplanes.bmp", "bad.bmp")), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(Path("absent.bmp")), EFOpenError);
    for (auto [name, extension] : {std::pair{"noextension", ""}, {"a.jpgx", "jpgx"}, {"a.PNG", "png"}})
        EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { picture.LoadFromFile(Copy("jpeg/photos/hopper.jpg", name)); }),
                  std::string("Unknown picture file extension (.") + extension + ")");
    // Icons and metafiles are registered, but the tool reads neither.
    for (auto [name, message] : {std::pair{"a.ico", "Icon image is not valid"},
                                 {"a.WMF", "Metafile is not valid"},
                                 {"a.emf", "Metafile is not valid"}})
        EXPECT_EQ(ErrorOf<EInvalidGraphic>([&] { picture.LoadFromFile(Copy("jpeg/photos/hopper.jpg", name)); }),
                  message);
    EXPECT_EQ(picture.Graphic(), held);
    EXPECT_EQ(changes, 0);
}

TEST(Picture, SettingTheGraphicHoldsACopyOfTheSameKindAndBitmapReplacesOtherKinds)
{
    TBitmap bitmap;
    Paint(bitmap, 3, 3, Distinct);
    TPicture picture;
    int changes = 0;
    picture.SetOnChange([&] { ++changes; });
    picture.SetGraphic(&bitmap);
    EXPECT_EQ(changes, 1);
    auto* held = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(held, nullptr);
    bitmap.Canvas().SetPixel(0, 0, clBlack);
    EXPECT_EQ(held->Canvas().GetPixel(0, 0), Distinct(0, 0));

    held->Canvas().SetPixel(1, 1, clBlack);
    EXPECT_EQ(changes, 2) << "changes of the held graphic reach the Picture's owner";

    picture.SetGraphic(nullptr);
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(changes, 3);

    // Reading Bitmap replaces another kind with an empty Bitmap.
    TJPEGImage jpeg;
    jpeg.LoadFromFile(TestData("jpeg/photos/hopper.jpg"));
    picture.SetGraphic(&jpeg);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    TBitmap& replaced = picture.Bitmap();
    EXPECT_TRUE(replaced.Empty());
    EXPECT_EQ(picture.Graphic(), &replaced);
    EXPECT_EQ(&picture.Bitmap(), &replaced) << "a held Bitmap is kept";
}

TEST(PictureCanvas, CanvasOfAnEmptyPictureIsAWhiteSurfaceOfTheFirstSizeAndAJpegIsRefused)
{
    TPicture picture;
    TCanvas& canvas = ImageCanvas(picture, 120, 180);
    EXPECT_TRUE(SameSize(canvas.Bitmap(), 120, 180));
    EXPECT_EQ(picture.Width(), 120);
    EXPECT_TRUE(PixelsAre(canvas.Bitmap(), White));
    EXPECT_TRUE(canvas.Bitmap().IsDisplayForm());

    TCanvas& again = ImageCanvas(picture, 60, 90);
    EXPECT_EQ(&again, &canvas);
    EXPECT_EQ(picture.Width(), 120) << "the surface keeps its first size";

    TJPEGImage jpeg;
    jpeg.LoadFromFile(TestData("jpeg/photos/hopper.jpg"));
    picture.SetGraphic(&jpeg);
    EXPECT_EQ(ErrorOf<EInvalidOperation>([&] { ImageCanvas(picture, 10, 10); }),
              "Can only modify an image if it contains a bitmap");
}

} // namespace
