#include "faces/OpenCvThreads.h"

#include <opencv2/core/utility.hpp>

void KeepOpenCvOnCallingThreads()
{
    cv::setNumThreads(1);
}
