#include "picture/detail/JpegDecoder.h"

#include "picture/PictureErrors.h"
#include "picture/PictureHeaders.h"
#include "picture/detail/ExifReading.h"
#include "picture/detail/LibjpegCall.h"
#include "picture/detail/PixelGrid.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

// libjpeg's fatal errors come back through TryLibjpeg (LibjpegCall.h); the
// decoder below calls libjpeg only that way.

namespace {

constexpr std::size_t kSourceChunk = 4096;
constexpr long kMaxDecoderMemory = 768L << 20;

// A source over the bytes in memory that hands them out 4096 at a time. When
// they run out before the end-of-image marker it supplies one, so a truncated
// file decodes what it has; no bytes at all is the fatal "empty input".
struct MemorySource {
    jpeg_source_mgr manager; // first member: libjpeg's pointer is cast back
    const JOCTET* data;
    std::size_t size;
    std::size_t offset;
};

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

extern "C" void SourceInit(j_decompress_ptr) { }

extern "C" boolean SourceFill(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
    if (source->offset >= source->size) {
        if (source->size == 0)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->manager.next_input_byte = kEndOfImage;
        source->manager.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    const std::size_t count = std::min(kSourceChunk, source->size - source->offset);
    source->manager.next_input_byte = source->data + source->offset;
    source->manager.bytes_in_buffer = count;
    source->offset += count;
    return TRUE;
}

extern "C" void SourceSkip(j_decompress_ptr cinfo, long count)
{
    auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
    if (count <= 0)
        return;
    auto remaining = static_cast<std::size_t>(count);
    while (remaining > source->manager.bytes_in_buffer) {
        remaining -= source->manager.bytes_in_buffer;
        source->manager.bytes_in_buffer = 0;
        SourceFill(cinfo);
    }
    source->manager.next_input_byte += remaining;
    source->manager.bytes_in_buffer -= remaining;
}

extern "C" void SourceTerm(j_decompress_ptr) { }

// One libjpeg decompressor reading from memory; destroyed on every path.
class Decompressor {
public:
    explicit Decompressor(std::span<const std::uint8_t> bytes)
    {
        cinfo_.err = InstallLibjpegErrors(errors_);
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_create_decompress(&cinfo_); }));
        created_ = true;
        source_.manager.init_source = SourceInit;
        source_.manager.fill_input_buffer = SourceFill;
        source_.manager.skip_input_data = SourceSkip;
        source_.manager.resync_to_restart = jpeg_resync_to_restart;
        source_.manager.term_source = SourceTerm;
        source_.manager.next_input_byte = nullptr;
        source_.manager.bytes_in_buffer = 0;
        source_.data = bytes.data();
        source_.size = bytes.size();
        source_.offset = 0;
        cinfo_.src = &source_.manager;
        // A damaged header may claim an enormous progressive image, whose
        // coefficient buffers libjpeg would allocate before the first row;
        // past this much memory it fails instead.
        cinfo_.mem->max_memory_to_use = kMaxDecoderMemory;
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor()
    {
        if (created_)
            jpeg_destroy_decompress(&cinfo_);
    }

    jpeg_decompress_struct& Info() { return cinfo_; }
    // Keeps the APP1 segments (EXIF data among them) for the header reader.
    void KeepApp1Segments()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_save_markers(&cinfo_, JPEG_APP0 + 1, 0xFFFF); }));
    }
    void ReadHeader()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_read_header(&cinfo_, TRUE); }));
    }
    void CalcOutputDimensions()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_calc_output_dimensions(&cinfo_); }));
    }
    void Start()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_start_decompress(&cinfo_); }));
    }
    JDIMENSION ReadRows(JSAMPARRAY rows, JDIMENSION count)
    {
        JDIMENSION read = 0;
        CheckLibjpeg(TryLibjpeg(&errors_, [&] { read = jpeg_read_scanlines(&cinfo_, rows, count); }));
        return read;
    }
    JDIMENSION SkipRows(JDIMENSION count)
    {
        JDIMENSION skipped = 0;
        CheckLibjpeg(TryLibjpeg(&errors_, [&] { skipped = jpeg_skip_scanlines(&cinfo_, count); }));
        return skipped;
    }
    void Finish()
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [this] { jpeg_finish_decompress(&cinfo_); }));
    }
    // Narrows the rows given out to `width` columns from `xoffset`, which
    // libjpeg moves left to the start of a block column (and widens `width`
    // by as much).
    void CropColumns(JDIMENSION& xoffset, JDIMENSION& width)
    {
        CheckLibjpeg(TryLibjpeg(&errors_, [&] { jpeg_crop_scanline(&cinfo_, &xoffset, &width); }));
    }

private:
    jpeg_decompress_struct cinfo_{};
    LibjpegErrors errors_{};
    MemorySource source_{};
    bool created_ = false;
};

constexpr int kQuantisedColors = 236;

bool IsCmyk(const jpeg_decompress_struct& cinfo)
{
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// CMYK row (4 bytes a pixel) to blue, green, red. Adobe files store the inks
// inverted (255 = no ink), which is what makes red = C * K / 255.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::size_t width, bool inverted)
{
    auto channel = [](unsigned ink, unsigned black) {
        return static_cast<std::uint8_t>((2 * ink * black + 255) / 510);
    };
    for (std::size_t x = 0; x < width; ++x) {
        unsigned c = cmyk[x * 4];
        unsigned m = cmyk[x * 4 + 1];
        unsigned y = cmyk[x * 4 + 2];
        unsigned k = cmyk[x * 4 + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[x * 3] = channel(y, k);
        bgr[x * 3 + 1] = channel(m, k);
        bgr[x * 3 + 2] = channel(c, k);
    }
}

} // namespace

JpegHeader ReadJpegHeader(std::span<const std::uint8_t> bytes)
{
    Decompressor decompressor(bytes);
    decompressor.KeepApp1Segments();
    decompressor.ReadHeader();
    const jpeg_decompress_struct& cinfo = decompressor.Info();
    JpegHeader header{static_cast<std::int32_t>(cinfo.image_width), static_cast<std::int32_t>(cinfo.image_height),
                      cinfo.num_components};
    // The first EXIF segment counts; APP1 also carries other data (XMP).
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr; marker = marker->next) {
        const std::span<const std::uint8_t> payload(marker->data, marker->data_length);
        if (marker->marker == JPEG_APP0 + 1 && IsExifPayload(payload)) {
            header.Orientation = OrientationFromExif(payload);
            break;
        }
    }
    return header;
}

namespace {

// What a started decoding gives out: colour table indices when quantising
// (1 byte a pixel), else CMYK values still to be converted (4 bytes) or blue,
// green, red (3 bytes); and the depth of the grid that holds the result.
struct Prepared {
    bool cmyk = false;
    bool quantise = false;
    int depth = 24;
};

// Reads the header and makes the settings both decodings share. Returns what
// the decoding will give out; the caller checks the size it needs and starts
// libjpeg.
Prepared Prepare(Decompressor& decompressor, JpegColors colors, int eighths = kFullScaleEighths)
{
    if (eighths < 1 || eighths > kFullScaleEighths)
        throw std::invalid_argument("a JPEG decoding scale is 1/8 to 8/8");
    decompressor.ReadHeader();
    jpeg_decompress_struct& cinfo = decompressor.Info();
    cinfo.scale_num = static_cast<unsigned>(eighths);
    cinfo.scale_denom = kFullScaleEighths;
    cinfo.do_block_smoothing = TRUE;
    cinfo.buffered_image = FALSE;
    Prepared prepared;
    prepared.cmyk = IsCmyk(cinfo);
    prepared.quantise =
        (cinfo.out_color_space == JCS_GRAYSCALE && colors != JpegColors::Rgb) || colors == JpegColors::Quantised;
    if (prepared.quantise) {
        if (prepared.cmyk)
            cinfo.out_color_space = JCS_RGB; // libjpeg cannot quantise CMYK; it refuses as usual
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = kQuantisedColors;
    } else if (prepared.cmyk) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR; // the byte order of a 24-bit grid
    }
    prepared.depth = prepared.quantise ? 8 : 24;
    return prepared;
}

std::vector<TColor> QuantisedColorTable(const jpeg_decompress_struct& cinfo)
{
    std::vector<TColor> table;
    const bool grey = cinfo.out_color_components == 1;
    for (int i = 0; i < cinfo.actual_number_of_colors; ++i) {
        const std::uint8_t red = cinfo.colormap[0][i];
        const std::uint8_t green = grey ? red : cinfo.colormap[1][i];
        const std::uint8_t blue = grey ? red : cinfo.colormap[2][i];
        table.push_back(RGB(red, green, blue));
    }
    return table;
}

} // namespace

std::shared_ptr<PixelGrid> DecodeJpeg(std::span<const std::uint8_t> bytes, JpegColors colors, int eighths)
{
    constexpr std::int32_t kWhole = std::numeric_limits<std::int32_t>::max();
    return DecodeJpegRegion(bytes, colors, eighths, TRect{0, 0, kWhole, kWhole});
}

namespace {

// Columns decoded beyond a region on either side, at the decoding's scale in
// blocks: libjpeg treats the edge of the columns it gives out as the picture's
// edge, so the colour of the outermost pixels there (made from the
// neighbouring colour samples, smoothed across neighbouring blocks) would not
// be the whole decoding's. Two blocks of the widest component keep every
// pixel of the region exactly as the whole decoding has it.
constexpr JDIMENSION kCropMarginBlocks = 2;

// Narrows the rows libjpeg gives out to `first` to `last` (exclusive) with a
// margin, unless that is the whole width; returns the first column given out.
JDIMENSION CropToColumns(Decompressor& decompressor, std::int64_t first, std::int64_t last)
{
    jpeg_decompress_struct& cinfo = decompressor.Info();
    const std::int64_t margin =
        std::int64_t{kCropMarginBlocks} * cinfo.max_h_samp_factor * std::max(1, cinfo.min_DCT_scaled_size);
    const std::int64_t left = std::max<std::int64_t>(0, first - margin);
    const std::int64_t right = std::min<std::int64_t>(cinfo.output_width, last + margin);
    if (left == 0 && right == cinfo.output_width)
        return 0;
    auto xoffset = static_cast<JDIMENSION>(left);
    auto width = static_cast<JDIMENSION>(right - left);
    decompressor.CropColumns(xoffset, width);
    return xoffset;
}

} // namespace

std::shared_ptr<PixelGrid> DecodeJpegRegion(std::span<const std::uint8_t> bytes, JpegColors colors, int eighths,
                                            const TRect& wanted)
{
    Decompressor decompressor(bytes);
    const Prepared prepared = Prepare(decompressor, colors, eighths);
    jpeg_decompress_struct& cinfo = decompressor.Info();
    decompressor.CalcOutputDimensions();
    const TRect region{std::max(wanted.Left, 0), std::max(wanted.Top, 0),
                       static_cast<std::int32_t>(std::min<std::int64_t>(wanted.Right, cinfo.output_width)),
                       static_cast<std::int32_t>(std::min<std::int64_t>(wanted.Bottom, cinfo.output_height))};
    if (region.Right <= region.Left || region.Bottom <= region.Top)
        throw std::invalid_argument("a JPEG region outside the decoding");
    // The output size is known before any large buffer exists: check it first.
    PixelGrid::CheckSize(region.Width(), region.Height(), prepared.depth);

    decompressor.Start();
    auto grid = std::make_shared<PixelGrid>(region.Width(), region.Height(), prepared.depth, GridForm::Own);
    if (prepared.quantise)
        grid->SetColorTable(QuantisedColorTable(cinfo));

    // Columns outside the region are left out, but not when quantising: the
    // dithering carries from left to right along each row.
    const JDIMENSION firstColumn = prepared.quantise ? 0 : CropToColumns(decompressor, region.Left, region.Right);
    const bool convertsCmyk = prepared.cmyk && !prepared.quantise;
    const std::size_t pixelBytes = prepared.quantise ? 1 : convertsCmyk ? 4 : 3;
    const std::size_t lineWidth = cinfo.output_width; // after the crop
    // Rows go straight into the grid when they are the grid's rows.
    const bool straight =
        !convertsCmyk && firstColumn == 0 && region.Left == 0 && static_cast<std::int64_t>(lineWidth) == region.Width();
    std::vector<std::uint8_t> line(lineWidth * pixelBytes);
    JSAMPROW lineRows[1] = {line.data()};
    const std::size_t columnsFrom = (static_cast<std::size_t>(region.Left) - firstColumn) * pixelBytes;
    const bool inverted = cinfo.saw_Adobe_marker;

    // Rows above the region: skipped before their colour conversion, or read
    // and dropped when quantising.
    while (cinfo.output_scanline < static_cast<JDIMENSION>(region.Top)) {
        const JDIMENSION missing = static_cast<JDIMENSION>(region.Top) - cinfo.output_scanline;
        if ((prepared.quantise ? decompressor.ReadRows(lineRows, 1) : decompressor.SkipRows(missing)) == 0)
            break;
    }
    constexpr JDIMENSION kBatch = 16;
    while (cinfo.output_scanline < static_cast<JDIMENSION>(region.Bottom)) {
        const auto y = static_cast<std::int32_t>(cinfo.output_scanline) - region.Top;
        if (straight) {
            // Straight into the grid, as many rows at a time as libjpeg offers.
            JSAMPROW rows[kBatch];
            const JDIMENSION count = std::min<JDIMENSION>(kBatch, static_cast<JDIMENSION>(region.Height() - y));
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = grid->Row(y + static_cast<std::int32_t>(i));
            if (decompressor.ReadRows(rows, count) == 0)
                break;
            continue;
        }
        if (decompressor.ReadRows(lineRows, 1) == 0)
            break;
        if (convertsCmyk)
            CmykToBgr(line.data() + columnsFrom, grid->Row(y), static_cast<std::size_t>(region.Width()), inverted);
        else
            std::memcpy(grid->Row(y), line.data() + columnsFrom, static_cast<std::size_t>(region.Width()) * pixelBytes);
    }
    // Rows below the region: libjpeg's skipping to the end neither converts
    // nor decodes them.
    if (cinfo.output_scanline < cinfo.output_height) {
        if (prepared.quantise) {
            while (cinfo.output_scanline < cinfo.output_height && decompressor.ReadRows(lineRows, 1) != 0) { }
        } else {
            decompressor.SkipRows(cinfo.output_height - cinfo.output_scanline);
        }
    }
    decompressor.Finish();
    return grid;
}

std::vector<std::shared_ptr<PixelGrid>> DecodeJpegSampledGrids(std::span<const std::uint8_t> bytes, JpegColors colors,
                                                               std::span<const SampledGridPlan> plans)
{
    Decompressor decompressor(bytes);
    const Prepared prepared = Prepare(decompressor, colors);
    jpeg_decompress_struct& cinfo = decompressor.Info();
    // No grid of the whole picture is made, only the samplings' own and one
    // row, so a photo too large to decode whole can still be sampled.
    decompressor.Start();
    const std::int64_t width = cinfo.output_width;
    const std::int64_t height = cinfo.output_height;
    auto outside = [](std::span<const std::int32_t> indices, std::int64_t limit) {
        return std::any_of(indices.begin(), indices.end(), [limit](std::int32_t i) { return i < 0 || i >= limit; });
    };

    // Every result row with the stored row it takes, in the order libjpeg
    // gives the stored rows out.
    struct Wanted {
        std::int32_t storedRow;
        std::size_t plan;
        std::int32_t row;
    };
    std::vector<Wanted> wanted;
    std::vector<std::shared_ptr<PixelGrid>> grids;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        const SampledGridPlan& plan = plans[p];
        if (plan.Columns.empty() || plan.Rows.empty() || outside(plan.Columns, width) || outside(plan.Rows, height))
            throw std::invalid_argument("sampled JPEG decoding outside the image");
        grids.push_back(std::make_shared<PixelGrid>(static_cast<std::int32_t>(plan.Columns.size()),
                                                    static_cast<std::int32_t>(plan.Rows.size()), prepared.depth,
                                                    GridForm::Own));
        if (prepared.quantise)
            grids.back()->SetColorTable(QuantisedColorTable(cinfo));
        for (std::size_t r = 0; r < plan.Rows.size(); ++r)
            wanted.push_back({plan.Rows[r], p, static_cast<std::int32_t>(r)});
    }
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const Wanted& a, const Wanted& b) { return a.storedRow < b.storedRow; });

    // Only the columns from the first sampled one to the last are decoded
    // (not when quantising: the dithering carries along each row).
    std::size_t firstColumn = 0;
    if (!prepared.quantise) {
        std::int32_t first = std::numeric_limits<std::int32_t>::max();
        std::int32_t last = 0;
        for (const SampledGridPlan& plan : plans) {
            const auto [low, high] = std::minmax_element(plan.Columns.begin(), plan.Columns.end());
            first = std::min(first, *low);
            last = std::max(last, *high);
        }
        firstColumn = CropToColumns(decompressor, first, std::int64_t{last} + 1);
    }

    const std::size_t pixelBytes = prepared.quantise ? 1 : prepared.cmyk ? 4 : 3;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(cinfo.output_width) * pixelBytes);
    std::vector<std::uint8_t> cmykPixels;
    JSAMPROW lineRows[1] = {line.data()};
    const bool inverted = cinfo.saw_Adobe_marker;

    // Brings the decoder to `row` without converting the rows before it.
    auto advanceTo = [&](JDIMENSION row) {
        while (cinfo.output_scanline < row) {
            const JDIMENSION missing = row - cinfo.output_scanline;
            if (prepared.quantise) {
                if (decompressor.ReadRows(lineRows, 1) == 0)
                    return;
            } else if (decompressor.SkipRows(missing) == 0) {
                return;
            }
        }
    };

    std::int64_t lineRow = -1; // the stored row `line` holds
    for (const Wanted& want : wanted) {
        const auto storedRow = static_cast<JDIMENSION>(want.storedRow);
        if (lineRow != storedRow) {
            advanceTo(storedRow);
            if (cinfo.output_scanline != storedRow || decompressor.ReadRows(lineRows, 1) == 0)
                break;
            lineRow = storedRow;
        }
        const std::span<const std::int32_t> columns = plans[want.plan].Columns;
        std::uint8_t* out = grids[want.plan]->Row(want.row);
        if (prepared.cmyk && !prepared.quantise) {
            cmykPixels.resize(columns.size() * 4);
            for (std::size_t x = 0; x < columns.size(); ++x)
                std::memcpy(&cmykPixels[x * 4], &line[(static_cast<std::size_t>(columns[x]) - firstColumn) * 4], 4);
            CmykToBgr(cmykPixels.data(), out, columns.size(), inverted);
            continue;
        }
        for (std::size_t x = 0; x < columns.size(); ++x)
            std::memcpy(out + x * pixelBytes, &line[(static_cast<std::size_t>(columns[x]) - firstColumn) * pixelBytes],
                        pixelBytes);
    }
    // libjpeg's skipping to the end neither converts nor decodes the rows
    // below the last one sampled.
    advanceTo(cinfo.output_height);
    decompressor.Finish();
    return grids;
}
