// Framing a photo around a detected face.
#include "faces/FaceFraming.h"

#include "picture/PictureTestSupport.h"

namespace {

TEST(FaceRegion, HalfTheHeightAroundTheFaceWhereThePhotoAllows)
{
    const struct {
        const char* what;
        PictureSize picture;
        TRect face;
        TRect region;
    } rows[] = {
        // 200 high, 133 wide, centred on x 500, the eyes (y 340) at 45 %.
        {"room all round", {1000, 1000}, {450, 300, 550, 400}, {434, 250, 567, 450}},
        {"near the top left corner", {1000, 1000}, {0, 0, 100, 100}, {0, 0, 133, 200}},
        {"near the bottom right corner", {1000, 1000}, {900, 900, 1000, 1000}, {867, 800, 1000, 1000}},
        // Twice the face does not fit: the largest region, moved inside.
        {"face filling the photo", {300, 400}, {0, 0, 300, 300}, {17, 0, 284, 400}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FaceRegion(row.picture, {120, 180}, row.face), row.region) << row.what;
}

} // namespace
