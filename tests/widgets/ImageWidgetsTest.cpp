#include "picture/PictureTestSupport.h"
#include "picture/TBitmap.h"
#include "picture/TCanvas.h"
#include "support/PaintCounter.h"
#include "widgets/ImageControl.h"
#include "widgets/TImage.h"
#include "widgets/TShape.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QRgb ScreenPixel(QWidget* widget, int x, int y)
{
    return widget->grab().toImage().pixel(x, y);
}

TEST(ImageControl, PlacementFollowsStretchAndCenter)
{
    TPicture picture;
    picture.Bitmap().SetSize(50, 31);
    // A picture larger than the control moves left and up, truncating toward zero.
    using enum PictureFit;
    using enum PicturePosition;
    for (auto [width, height, fit, position, expected] : {std::tuple{120, 180, OwnSize, TopLeft, TRect{0, 0, 50, 31}},
                                                          {120, 180, Stretched, TopLeft, TRect{0, 0, 120, 180}},
                                                          {120, 180, Stretched, Centered, TRect{0, 0, 120, 180}},
                                                          {120, 180, OwnSize, Centered, TRect{35, 74, 85, 105}},
                                                          {45, 30, OwnSize, Centered, TRect{-2, 0, 48, 31}}})
        EXPECT_EQ(ImagePlacement(picture, width, height, fit, position), expected) << width << " x " << height;
    TPicture empty;
    EXPECT_EQ(ImagePlacement(empty, 120, 180, OwnSize, Centered), (TRect{60, 90, 60, 90}));
}

} // namespace

TEST(TImageControl, ManyPixelWritesCostOneRepaint)
{
    QWidget window;
    window.resize(400, 300);
    auto* image = new TImage(&window);
    image->setGeometry(0, 0, 320, 240);
    image->Canvas();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    PaintCounter paints(image);

    TCanvas& canvas = image->Canvas();
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            canvas.SetPixel(x, y, 0x0000FF);
    QApplication::processEvents();
    EXPECT_EQ(paints.count, 1);

    // The next change is shown again.
    canvas.SetPixel(0, 0, 0xFF0000);
    QApplication::processEvents();
    EXPECT_EQ(paints.count, 2);
    EXPECT_EQ(ScreenPixel(image, 319, 239), qRgb(255, 0, 0));
    EXPECT_EQ(ScreenPixel(image, 0, 0), qRgb(0, 0, 255));
}

TEST(TImageControl, StretchAndCenterPlaceThePicture)
{
    const TColor a = 0x0000FF, b = 0x00FF00, c = 0xFF0000, d = 0x000000;
    const TColor quad[2][2] = {{a, b}, {c, d}};
    auto quadAt = [&quad](std::int32_t x, std::int32_t y) { return quad[y][x]; };
    const QRgb qa = qRgb(255, 0, 0), qb = qRgb(0, 255, 0), qc = qRgb(0, 0, 255), qd = qRgb(0, 0, 0);

    QWidget stretchedParent;
    QPalette white = stretchedParent.palette();
    white.setColor(QPalette::Window, Qt::white);
    stretchedParent.setPalette(white);
    stretchedParent.setAutoFillBackground(true);
    stretchedParent.resize(10, 10);
    auto* stretched = new TImage(&stretchedParent);
    stretched->setGeometry(0, 0, 4, 4);
    stretched->setStretch(true);
    Paint(stretched->Picture().Bitmap(), 2, 2, quadAt);
    // Each source pixel becomes a 2 by 2 block, none blended.
    const QImage shown = stretchedParent.grab().toImage();
    const QRgb expected[4][4] = {{qa, qa, qb, qb}, {qa, qa, qb, qb}, {qc, qc, qd, qd}, {qc, qc, qd, qd}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(shown.pixel(x, y), expected[y][x]) << x << "," << y;

    auto* centred = new TImage(&stretchedParent);
    centred->setGeometry(0, 0, 7, 7);
    centred->setCenter(true);
    stretched->hide();
    Paint(centred->Picture().Bitmap(), 2, 2, quadAt);
    const QImage middle = stretchedParent.grab().toImage();
    EXPECT_EQ(middle.pixel(2, 2), qa); // (7 - 2) div 2
    EXPECT_EQ(middle.pixel(3, 3), qd);
    EXPECT_EQ(middle.pixel(1, 1), qRgb(255, 255, 255)); // an empty part shows what lies beneath
    EXPECT_EQ(middle.pixel(4, 4), qRgb(255, 255, 255));
}

TEST(TShapeOutline, MaskModeKeepsOnlyTheRedOfWhatLiesBeneath)
{
    QWidget box;
    box.resize(40, 40);
    auto* picture = new TImage(&box);
    picture->setGeometry(0, 0, 40, 40);
    Paint(picture->Picture().Bitmap(), 40, 40,
          [](std::int32_t x, std::int32_t) { return RGB(static_cast<std::uint8_t>(x * 6), 200, 90); });
    auto* frame = new TShape(&box);
    frame->setGeometry(10, 10, 20, 20);
    frame->setPenColor(Qt::red);
    frame->setPenWidth(2);

    const QImage shown = box.grab().toImage();
    for (const QPoint onLine : {QPoint(10, 10), QPoint(11, 20), QPoint(29, 25), QPoint(20, 28)})
        EXPECT_EQ(shown.pixel(onLine), qRgb(onLine.x() * 6, 0, 0)) << onLine.x() << "," << onLine.y();
    for (const QPoint clear : {QPoint(12, 12), QPoint(20, 20), QPoint(27, 27), QPoint(9, 9), QPoint(30, 30)})
        EXPECT_EQ(shown.pixel(clear), qRgb(clear.x() * 6, 200, 90)) << clear.x() << "," << clear.y();
}
