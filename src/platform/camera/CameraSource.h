#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class QWidget;

// The camera as the capture window and the photo day's window see it: a live
// preview in a child window that it places itself, and the frame that
// preview currently shows written out as a BMP file. The windows talk to
// nothing else, so tests put a source of known frames in the camera's place.
class CameraSource {
public:
    virtual ~CameraSource() = default;

    // Connects to the first camera of the machine and shows its live picture,
    // scaled to fill, in a visible child of `parent` at `area` (in `parent`'s
    // coordinates); the preview then runs by itself. A machine without a
    // camera gets an empty preview window all the same. A start while the
    // preview runs keeps that preview; a start after StopPreview connects
    // again in the same child. There is one preview window: a start with
    // another parent (the photo day's window takes the camera from the
    // capture window, and gives it back) moves it there. Returns false when
    // no preview window could be made.
    virtual bool StartPreview(QWidget* parent, const QRect& area) = 0;

    // Releases the camera; the live picture stops and the preview window stays
    // where it is. Nothing happens when no preview was ever started.
    virtual void StopPreview() = 0;

    // Whether the last StartPreview found a camera to connect to.
    virtual bool CameraFound() const = 0;

    // Writes the frame the preview currently shows to `path` as a BMP file,
    // replacing any file there, and returns once the file is complete. Writes
    // nothing when there is no frame (no camera, or not connected).
    virtual void SaveFrame(const QString& path) = 0;

    // The frame the preview currently shows, for looking at the live picture
    // (the photo day reads students' cards in it); a null image when there is
    // no frame. Quicker than SaveFrame: nothing is written.
    virtual QImage CurrentFrame() = 0;
};
