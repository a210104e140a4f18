#pragma once

#include "platform/camera/CameraSource.h"

#include <memory>

// The camera of this run. Normally the machine's first camera; with the
// environment variable STUDENT_PHOTO_TEST_CAMERA set, a camera that shows one
// fixed frame instead: the picture file the variable names, or a test pattern
// of 640 by 480 for any other value (such as 1). Lets the capture window be
// tried on a machine without a camera.
std::unique_ptr<CameraSource> CameraSourceFromEnvironment();
