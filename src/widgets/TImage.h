#pragma once

#include "picture/TCanvas.h"
#include "picture/TPicture.h"

#include <QImage>
#include <QWidget>

// The Image control: a widget that shows a Picture and hands out the Canvas
// to draw on. Stretch draws the picture over the whole control (aspect ratio
// not kept), Center moves an unstretched picture to the middle. Resizing the
// control never resizes a picture it already holds.
//
// Every change of the Picture, however many pixels a handler writes, costs
// one repaint at the next paint of the window: the change report only marks
// the control.
class TImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // The Picture makes its graphics for a display of this depth; 32 bits per
    // pixel until set.
    void SetDisplayDepth(DisplayColorDepth depth) { picture_.SetDisplayDepth(depth); }

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

    // The Canvas of the Picture's Bitmap; an empty Picture first gets a white
    // Bitmap of the control's current size. EInvalidOperation while the
    // Picture holds a JPEG image.
    TCanvas& Canvas();

    // Setters of the layout's properties are named the way uic calls them.
    bool Stretch() const { return stretch_; }
    void setStretch(bool stretch);
    bool Center() const { return center_; }
    void setCenter(bool center);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();
    // The held graphic as a screen image, converted once per change.
    const QImage& ShownImage();

    TPicture picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool repaintPending_ = false;
    bool shownImageValid_ = false;
    QImage shownImage_;
};
