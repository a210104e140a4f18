#include "picture/detail/JpegEncoder.h"

#include "picture/JpegSettings.h"
#include "picture/detail/ExifWriting.h"
#include "picture/detail/LibjpegCall.h"
#include "picture/detail/PixelGrid.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdio>
#include <stdexcept>

namespace {

// The file grows by at least this much at a time (a 120 x 180 photo fits in
// one step), and by half its size when it is larger.
constexpr std::size_t kDestinationStep = 16 << 10;

// A destination that writes into a vector, growing it as libjpeg fills it.
// The vector's size runs ahead of what libjpeg has written by the free space
// it was handed; the end of compression cuts that off.
struct VectorDestination {
    jpeg_destination_mgr manager; // first member: libjpeg's pointer is cast back
    std::vector<std::uint8_t>* bytes;
};

// Hands libjpeg fresh space after what it has written. A failure to grow is
// libjpeg's own "out of memory", raised once no C++ object is in the way.
void HandOutSpace(j_compress_ptr cinfo, std::size_t written)
{
    auto* destination = reinterpret_cast<VectorDestination*>(cinfo->dest);
    bool grown = true;
    try {
        destination->bytes->resize(written + std::max(kDestinationStep, written / 2));
    } catch (...) {
        grown = false;
    }
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    destination->manager.next_output_byte = destination->bytes->data() + written;
    destination->manager.free_in_buffer = destination->bytes->size() - written;
}

extern "C" void DestinationInit(j_compress_ptr cinfo)
{
    HandOutSpace(cinfo, 0);
}

// libjpeg calls this when the space is full: all of it has been written.
extern "C" boolean DestinationEmpty(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<VectorDestination*>(cinfo->dest);
    HandOutSpace(cinfo, destination->bytes->size());
    return TRUE;
}

extern "C" void DestinationTerm(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<VectorDestination*>(cinfo->dest);
    destination->bytes->resize(destination->bytes->size() - destination->manager.free_in_buffer);
}

// One libjpeg compressor writing into a vector; destroyed on every path.
class Compressor {
public:
    explicit Compressor(std::vector<std::uint8_t>& bytes)
    {
        cinfo_.err = InstallLibjpegErrors(errors_);
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_create_compress(&cinfo_); }));
        created_ = true;
        destination_.manager.init_destination = DestinationInit;
        destination_.manager.empty_output_buffer = DestinationEmpty;
        destination_.manager.term_destination = DestinationTerm;
        destination_.bytes = &bytes;
        cinfo_.dest = &destination_.manager;
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor()
    {
        if (created_)
            jpeg_destroy_compress(&cinfo_);
    }

    jpeg_compress_struct& Info() { return cinfo_; }
    // Sets libjpeg's defaults for the colour space already given.
    void SetDefaults()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_set_defaults(&cinfo_); }));
    }
    void SetQuality(int quality)
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this, quality] { jpeg_set_quality(&cinfo_, quality, TRUE); }));
    }
    void Start()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_start_compress(&cinfo_, TRUE); }));
    }
    void WriteMarker(int marker, const std::vector<std::uint8_t>& payload)
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [&] {
            jpeg_write_marker(&cinfo_, marker, payload.data(), static_cast<unsigned int>(payload.size()));
        }));
    }
    void WriteRows(JSAMPARRAY rows, JDIMENSION count)
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [&] { jpeg_write_scanlines(&cinfo_, rows, count); }));
    }
    void Finish()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_finish_compress(&cinfo_); }));
    }

private:
    jpeg_compress_struct cinfo_{};
    LibjpegErrors errors_{};
    VectorDestination destination_{};
    bool created_ = false;
};

bool HoldsOnlyGreys(const PixelGrid& grid)
{
    if (grid.BitsPerPixel() > 8 || grid.ColorTable().empty())
        return false;
    return std::all_of(grid.ColorTable().begin(), grid.ColorTable().end(), [](TColor color) {
        return GetRValue(color) == GetGValue(color) && GetGValue(color) == GetBValue(color);
    });
}

// How the grid's rows reach libjpeg.
enum class RowSource {
    Direct,       // the grid's own rows: 24-bit blue, green, red, or 32-bit with a padding byte
    ConvertedRgb, // converted to 0x00RRGGBB words
    ConvertedGrey // converted to one grey byte a pixel
};

// libjpeg's name for a 0x00RRGGBB word as it lies in memory.
constexpr J_COLOR_SPACE kWordColorSpace = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

} // namespace

std::vector<std::uint8_t> CompressJpeg(const PixelGrid& grid, const JpegSettings& settings)
{
    if (settings.Quality < 1 || settings.Quality > 100)
        throw std::invalid_argument("a JPEG quality is 1 to 100");
    std::vector<std::uint8_t> exif;
    if (settings.CaptureTime)
        exif = CaptureTimeExif(*settings.CaptureTime);

    std::vector<std::uint8_t> bytes;
    Compressor compressor(bytes);
    jpeg_compress_struct& cinfo = compressor.Info();
    cinfo.image_width = static_cast<JDIMENSION>(grid.Width());
    cinfo.image_height = static_cast<JDIMENSION>(grid.Height());
    RowSource source = RowSource::ConvertedRgb;
    if (HoldsOnlyGreys(grid)) {
        source = RowSource::ConvertedGrey;
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else if (grid.Layout() == PixelLayout::Bgr24) {
        source = RowSource::Direct;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_EXT_BGR;
    } else {
        if (grid.Layout() == PixelLayout::Bgrx32)
            source = RowSource::Direct;
        cinfo.input_components = 4;
        cinfo.in_color_space = source == RowSource::Direct ? JCS_EXT_BGRX : kWordColorSpace;
    }
    compressor.SetDefaults();
    compressor.SetQuality(settings.Quality);
    // Huffman tables made for this picture: a smaller file, still baseline.
    cinfo.optimize_coding = TRUE;
    if (settings.Chroma == ChromaSampling::Full && cinfo.num_components == 3) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    // EXIF data takes the place of the JFIF header, as in a camera's file.
    cinfo.write_JFIF_header = exif.empty() ? TRUE : FALSE;
    compressor.Start();
    if (!exif.empty())
        compressor.WriteMarker(JPEG_APP0 + 1, exif);

    constexpr JDIMENSION kBatch = 16;
    JSAMPROW rows[kBatch];
    const auto width = static_cast<std::size_t>(grid.Width());
    // Converted rows: a batch of 0x00RRGGBB rows, or one such row and a
    // batch of grey ones.
    std::vector<std::uint32_t> words;
    std::vector<JSAMPLE> greys;
    if (source == RowSource::ConvertedRgb)
        words.resize(width * kBatch);
    if (source == RowSource::ConvertedGrey) {
        words.resize(width);
        greys.resize(width * kBatch);
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        const JDIMENSION first = cinfo.next_scanline;
        const JDIMENSION count = std::min(kBatch, cinfo.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i) {
            const auto y = static_cast<std::int32_t>(first + i);
            switch (source) {
            case RowSource::Direct:
                // libjpeg only reads the rows it is given.
                rows[i] = const_cast<JSAMPLE*>(grid.Row(y));
                break;
            case RowSource::ConvertedRgb:
                grid.ReadRowRgb32(y, &words[i * width]);
                rows[i] = reinterpret_cast<JSAMPLE*>(&words[i * width]);
                break;
            case RowSource::ConvertedGrey:
                grid.ReadRowRgb32(y, words.data());
                for (std::size_t x = 0; x < width; ++x)
                    greys[i * width + x] = static_cast<JSAMPLE>(words[x] & 0xFF);
                rows[i] = &greys[i * width];
                break;
            }
        }
        compressor.WriteRows(rows, count);
    }
    compressor.Finish();
    return bytes;
}
