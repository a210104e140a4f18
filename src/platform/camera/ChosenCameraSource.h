#pragma once

#include "platform/camera/CameraSource.h"

#include <QString>

#include <memory>

// The camera of this run. Normally (`testCamera` empty) the machine's first
// camera; otherwise a camera that shows one fixed frame instead: the picture
// file `testCamera` names, or a test pattern of 640 by 480 for any other
// value (such as 1). Lets the capture window be tried on a machine without a
// camera (the program takes `testCamera` from STUDENT_PHOTO_TEST_CAMERA,
// ProgramSettings.h).
std::unique_ptr<CameraSource> ChosenCameraSource(const QString& testCamera);
