#include "widgets/CropEditor.h"

#include "faces/FaceDetector.h"
#include "widgets/DragEmulation.h"
#include "widgets/TImage.h"
#include "widgets/TShape.h"
#include "widgets/WaitCursor.h"

#include <QString>

#include <cmath>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void Refuse(const QString& message)
{
    throw EPictureStepRefused(message.toStdString());
}

const QString kCannotGrow = QStringLiteral("图片不能再放大了！");
const QString kCannotShrink = QStringLiteral("图片不能再缩小了！");
const QString kNoFace = QStringLiteral("图片中未找到人脸！");

} // namespace

CropEditor::CropEditor(Controls controls) : controls_(controls), place_(controls.area.geometry())
{
    // The frame lies above the picture.
    drag_ = std::make_unique<DragEmulation>(
        controls_.scrollBox, std::vector<QWidget*>{&controls_.frame, &controls_.area},
        [this](QWidget* control, QPoint point) {
            if (control == &controls_.frame)
                DragOverFrame(point);
            else
                DragOverPicture(point);
        },
        // The picture's centre, as DragOverPicture and
        // DragOverFrame place it.
        [this] { return controls_.area.pos() + QPoint(controls_.area.width() / 2, controls_.area.height() / 2); });
}

CropEditor::~CropEditor() = default;

bool CropEditor::HasPicture() const
{
    const TGraphic* picture = controls_.area.Picture().Graphic();
    return picture && !picture->Empty();
}

void CropEditor::PlaceArea()
{
    controls_.area.setGeometry(place_);
}

void CropEditor::ShowLoaded()
{
    loaded_.Keep(controls_.area.Picture().Graphic());
    EditArea(HalfSizeRedraw);
    cropRect_ = CropRectAt(controls_.frame.x(), controls_.frame.y());
}

void CropEditor::EditArea(const std::function<void(PictureArea&)>& step)
{
    PictureArea area{controls_.area.Picture(), controls_.area.width(), controls_.area.height()};
    const WaitCursor busy; // a large picture takes a moment
    try {
        step(area);
    } catch (...) {
        controls_.area.resize(area.Width, area.Height);
        throw;
    }
    controls_.area.resize(area.Width, area.Height);
}

void CropEditor::Zoom(ZoomDirection direction)
{
    // The picture's point under the frame's centre stays there: what the
    // user framed grows or shrinks in place instead of sliding off towards
    // the picture's corner.
    const QPoint frameCentre = controls_.frame.geometry().center();
    const QPoint before = controls_.area.pos();
    const QSize sizeBefore = controls_.area.size();
    bool zoomed = false;
    EditArea([&](PictureArea& area) { zoomed = ::Zoom(area, direction); });
    if (!zoomed)
        Refuse(direction == ZoomDirection::In ? kCannotGrow : kCannotShrink);
    const QSize sizeAfter = controls_.area.size();
    const auto scaled = [](int offset, int after, int before) {
        return static_cast<int>(std::lround(static_cast<double>(offset) * after / before));
    };
    const QPoint left = frameCentre
                        - QPoint(scaled(frameCentre.x() - before.x(), sizeAfter.width(), sizeBefore.width()),
                                 scaled(frameCentre.y() - before.y(), sizeAfter.height(), sizeBefore.height()));
    PlaceUnderFrame(left);
}

void CropEditor::Nudge(QPoint step)
{
    if (HasPicture())
        PlaceUnderFrame(controls_.area.pos() + step);
}

void CropEditor::PlaceUnderFrame(QPoint areaLeftTop)
{
    controls_.area.move(areaLeftTop);
    cropRect_ = CropRectAt(controls_.frame.x() - areaLeftTop.x(), controls_.frame.y() - areaLeftTop.y());
}

void CropEditor::Turn(TurnDirection direction)
{
    EditArea([direction](PictureArea& area) { QuarterTurn(area, direction); });
    loaded_.Turn(direction);
}

void CropEditor::UseFaceModel(std::filesystem::path model)
{
    faceModel_ = std::move(model);
    faceDetector_.reset();
}

void CropEditor::LoadFaceDetector()
{
    if (faceDetector_)
        return;
    const WaitCursor busy; // loading the face model takes a moment
    faceDetector_ =
        std::make_unique<FaceDetector>(faceModel_.empty() ? FaceDetector::DefaultCascadeFile() : faceModel_);
}

void CropEditor::FrameFace()
{
    LoadFaceDetector();
    FaceFraming framing{};
    EditArea([&](PictureArea& area) {
        framing = ::FrameFace(area, *faceDetector_, controls_.frame.x(), controls_.frame.y(), &loaded_);
    });
    if (framing.Outcome == FaceFramingOutcome::NoFace)
        Refuse(kNoFace);
    if (framing.Outcome == FaceFramingOutcome::TooLarge)
        Refuse(kCannotGrow);
    controls_.area.move(framing.Placement.Left, framing.Placement.Top);
    cropRect_ = framing.Placement.CropRect;
}

void CropEditor::Crop()
{
    const TRect whole{0, 0, kCropWidth, kCropHeight};
    TCanvas& preview = controls_.preview.Canvas();
    preview.FillRect(whole);
    const std::int32_t width = controls_.area.width();
    const std::int32_t height = controls_.area.height();
    if (loaded_.ShownReduced(width, height))
        loaded_.DrawSmoothly(preview, whole, cropRect_, width, height);
    else
        preview.CopyRect(whole, controls_.area.Canvas(), cropRect_);
}

void CropEditor::DragOverPicture(QPoint point)
{
    const TImage& area = controls_.area;
    const DragResult moved = ::DragOverPicture(area.x(), area.y(), area.width(), area.height(), point.x(), point.y(),
                                               controls_.scrollBox.width(), controls_.scrollBox.height());
    controls_.area.move(moved.Left, moved.Top);
    cropRect_ = moved.CropRect;
    if (dragged_)
        dragged_(Dragged::Picture);
}

void CropEditor::DragOverFrame(QPoint point)
{
    const DragResult moved = ::DragOverFrame(controls_.frame.x(), controls_.frame.y(), controls_.area.width(),
                                             controls_.area.height(), point.x(), point.y());
    controls_.area.move(moved.Left, moved.Top);
    cropRect_ = moved.CropRect;
    if (dragged_)
        dragged_(Dragged::Frame);
}

void CropEditor::EmptyArea()
{
    drag_->End();
    controls_.area.Picture().SetGraphic(nullptr);
    loaded_.Clear();
}

void CropEditor::EmptyAll()
{
    EmptyArea();
    controls_.preview.Picture().SetGraphic(nullptr);
    PlaceArea();
}
