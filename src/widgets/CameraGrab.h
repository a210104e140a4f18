#pragma once

#include <QString>

#include <stdexcept>

class CameraSource;
class TPicture;

// The camera gave no frame; the message (Chinese, for the user) says why.
class ECameraGrabError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a window says when its camera was started on a machine without one.
extern const QString kNoCameraMessage;

// The file a grabbed frame passes through, in the program's folder (a folder
// string): the camera writes it, the picture is loaded from it, and the
// window that grabbed removes it when it closes.
QString ScratchFrameFile(const QString& programFolder);

// Loads the frame the camera shows now into `picture`, through
// `scratchFile`. ECameraGrabError without a camera, or when the camera sent
// no frame (the last grab's file never stands in for it); the picture
// component's errors when the frame cannot be read.
void GrabCameraFrame(CameraSource& camera, const QString& scratchFile, TPicture& picture);
