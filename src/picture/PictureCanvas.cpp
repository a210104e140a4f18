#include "picture/PictureCanvas.h"

#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"

TCanvas& ImageCanvas(TPicture& picture, std::int32_t areaWidth, std::int32_t areaHeight)
{
    if (picture.Graphic() == nullptr) {
        TBitmap blank(picture.DisplayDepth());
        blank.SetWidth(areaWidth);
        blank.SetHeight(areaHeight);
        picture.SetGraphic(&blank);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    if (bitmap == nullptr)
        throw EInvalidOperation(kOnlyModifyBitmapMessage);
    return bitmap->Canvas();
}
