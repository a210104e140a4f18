// Scales every picture named on the command line onto one 120 x 180 surface,
// the way the batch resize does: load by extension, draw once, keep only the
// surface. Timed from outside against `djpeg -outfile /dev/null` over the same
// files (bench/compare-djpeg.sh), so both sides pay for starting a process.
#include "picture/PictureErrors.h"
#include "picture/TBitmap.h"
#include "picture/TPicture.h"

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    TBitmap surface;
    surface.SetWidth(120);
    surface.SetHeight(180);
    unsigned checksum = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            TPicture picture;
            picture.LoadFromFile(argv[i]);
            surface.Canvas().StretchDraw(TRect{0, 0, 120, 180}, picture.Graphic());
            checksum += static_cast<unsigned>(surface.Canvas().GetPixel(60, 90));
        } catch (const EPictureError& error) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error.what());
            return 1;
        }
    }
    // Printed so that the drawing cannot be optimised away.
    std::printf("%08x\n", checksum);
    return 0;
}
