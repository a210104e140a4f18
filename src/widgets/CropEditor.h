#pragma once

#include "editing/LoadedPicture.h"
#include "editing/PictureEditing.h"
#include "picture/QuarterTurns.h"
#include "picture/TColor.h"

#include <QPoint>
#include <QRect>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

class DragEmulation;
class FaceDetector;
class QWidget;
class TImage;
class TShape;

// A picture step was refused and changed nothing; the message (Chinese, for
// the user) says why.
class EPictureStepRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The picture work that the capture window and the photo day's window share,
// done on their controls: the picture area (an Image control in a scroll
// box), the red crop frame lying over it, and the preview that the framed
// 120 by 180 pixels are cropped into. A press on the picture or on the frame
// drags the picture under the frame. The controls stay the window's; the
// editor keeps what they cannot hold: the picture as loaded at full
// resolution, the crop rectangle and the face detector.
class CropEditor {
public:
    struct Controls {
        QWidget& scrollBox;
        TImage& area;
        TShape& frame;
        TImage& preview;
    };
    enum class Dragged { Picture, Frame };

    // Where the layout puts the area in its scroll box is where every
    // loaded picture starts.
    explicit CropEditor(Controls controls);
    ~CropEditor();
    CropEditor(const CropEditor&) = delete;
    CropEditor& operator=(const CropEditor&) = delete;

    // The face detector's model for FrameFace; it starts as the running
    // program's own (FaceDetector::DefaultCascadeFile).
    void UseFaceModel(std::filesystem::path model);
    // Loads the face detector now, where a wait is expected, rather than at
    // the first FrameFace (it takes a moment); EFaceDetectorUnavailable when
    // its model cannot be loaded.
    void LoadFaceDetector();
    // Told after every step of a drag what was dragged.
    void OnDragged(std::function<void(Dragged)> dragged) { dragged_ = std::move(dragged); }

    // The part of the area's picture that the crop copies, in that picture's
    // pixel coordinates.
    const TRect& CropRect() const { return cropRect_; }
    // Whether the area holds a picture with pixels.
    bool HasPicture() const;

    // The area back at its place and size in the scroll box, its picture kept.
    void PlaceArea();
    // Shows the picture just loaded into the area: kept as loaded, redrawn
    // at half its size, the crop rectangle under the frame.
    void ShowLoaded();
    // Zooms by PictureEditing's factor about the frame's centre: the point
    // of the picture there stays there, and the crop rectangle is the part
    // under the frame. EPictureStepRefused when the picture cannot grow or
    // shrink any further.
    void Zoom(ZoomDirection direction);
    // Moves the picture under the frame by `step` pixels of the area; the
    // crop rectangle is the part under the frame. Nothing without a picture.
    void Nudge(QPoint step);
    void Turn(TurnDirection direction);
    // Zooms and moves the picture so that the frame holds its largest face;
    // EPictureStepRefused when there is none, or the zoom would be too large.
    void FrameFace();
    // Copies what the frame shows into the preview. A picture shown reduced
    // (every picture at first, and after zooming out) is cropped from the
    // picture as loaded, each pixel the mean of those it stands for, rather
    // than taking every second or fourth of them.
    void Crop();

    // The pointer at `point` of the picture itself: the picture's centre
    // jumps there. The crop rectangle is taken from the middle of the scroll
    // box.
    void DragOverPicture(QPoint point);
    // The pointer at `point` of the frame: the picture's centre jumps there,
    // and the crop rectangle is the part under the frame.
    void DragOverFrame(QPoint point);

    // Ends a drag in progress and empties the area, keeping its place and
    // size (the window closes); the preview stays.
    void EmptyArea();
    // Empties the area and the preview and puts the area back at its place:
    // nothing of the last picture is left to be saved.
    void EmptyAll();

private:
    // Runs a step on the area's picture and gives the control the size the
    // step left, also when the step fails half-way.
    void EditArea(const std::function<void(PictureArea&)>& step);
    // Puts the area's top left corner at `areaLeftTop` of the scroll box and
    // takes the crop rectangle from under the frame.
    void PlaceUnderFrame(QPoint areaLeftTop);

    Controls controls_;
    const QRect place_;
    TRect cropRect_;
    // The picture as loaded, at full resolution: the crop of a reduced area
    // and the face framing average its pixels.
    LoadedPicture loaded_;
    // Made at the first FrameFace: loading the model takes a moment.
    std::unique_ptr<FaceDetector> faceDetector_;
    std::filesystem::path faceModel_; // empty: the running program's model
    std::unique_ptr<DragEmulation> drag_;
    std::function<void(Dragged)> dragged_;
};
