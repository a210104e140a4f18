#include "widgets/ImageControl.h"

TRect ImagePlacement(const TPicture& picture, std::int32_t controlWidth, std::int32_t controlHeight, PictureFit fit,
                     PicturePosition position)
{
    TRect rect = fit == PictureFit::Stretched ? TRect{0, 0, controlWidth, controlHeight}
                                              : TRect{0, 0, picture.Width(), picture.Height()};
    if (position == PicturePosition::Centered) {
        const std::int32_t dx = (controlWidth - rect.Width()) / 2;
        const std::int32_t dy = (controlHeight - rect.Height()) / 2;
        rect = TRect{rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy};
    }
    return rect;
}
