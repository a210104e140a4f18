#pragma once

#include "picture/ExifOrientation.h"
#include "picture/PictureSize.h"
#include "picture/TBitmap.h"
#include "picture/TGraphic.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class PixelGrid;
enum class JpegColors;

// The most pixels a JPEG image decoded whole may have: its decoding, 24 bits a
// pixel, must fit the largest grid (kMaxGridBytes), so about 89 megapixels.
// A draw that only reduces the image (sampled, below) and a decoding at a
// reduced scale need no such grid and take photos of any size.
inline constexpr std::int64_t kMaxWholeDecodingPixels = static_cast<std::int64_t>(kMaxGridBytes / 3);

// A JPEG file held in memory. Loading keeps the bytes and reads the frame
// header only; the pixels are decoded by libjpeg the first time they are
// needed (drawn, or a Bitmap assigned from it) and kept for every later use.
// The image never changes size and is never written as JPEG by this tool (a
// save writes the bytes it was loaded from).
//
// Decoding once, and fast when drawn small. The batch resize draws each
// 12-megapixel photo once onto a 120 x 180 surface; a full decoding would
// write 36 MB of fresh memory that the drawing then reads 21,600 pixels of.
// So the first draw of a not yet decoded image into a rectangle no larger than
// the image decodes only what nearest-neighbour sampling to that rectangle's
// size picks (rows nobody samples are skipped before colour conversion) and
// keeps that sampled picture: every later draw of the same size uses it and
// decodes nothing, and drawing it unscaled gives exactly the pixels the full
// decoding drawn scaled would give. Any other use (a draw of another size, an
// enlargement, a Bitmap assigned from the image) decodes the whole picture
// once; from then on that full decoding serves everything, the sampled one is
// dropped. So libjpeg runs at most once per distinct use and never twice for
// the same one; DecodeCount() tells how often it ran. A sampled decoding still
// reads the data to its end, so that a damaged file fails the same way
// whichever path draws it.
//
// Upright. A photo whose EXIF data says it is stored turned or mirrored is
// shown the way it was taken: the width, the height, every draw and the
// decoded Bitmap are those of the upright picture. A sampled draw samples the
// stored rows and columns that the upright pixels come from, so it costs no
// more than for an untagged photo and gives exactly the pixels of decoding,
// turning and then sampling.
class TJPEGImage final : public TGraphic {
public:
    // `displayDepth` on a palette screen quantises the decoding of colour files.
    explicit TJPEGImage(DisplayColorDepth displayDepth = {});
    ~TJPEGImage() override;

    // Of the same display colour depth.
    std::unique_ptr<TGraphic> NewEmpty() const override;
    // From a TJPEGImage: the same bytes (and its decoded pixels, shared).
    // From nullptr: empty. Other kinds: EInvalidGraphicOperation.
    void Assign(const TGraphic* source) override;
    // The decoded Bitmap (DecodedBitmap).
    const TBitmap* AsBitmap() const override { return &DecodedBitmap(); }
    void DrawRegion(TCanvas& canvas, const TRect& rect, const TRect& region) override;
    bool Empty() const override; // true when no bytes were loaded
    // Upright.
    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    // EInvalidGraphicOperation "Cannot change the size of a JPEG image".
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;
    // Keeps the bytes and reads the header; EJPEG for data that is not a JPEG
    // image. Zero bytes load without error and fail at the first decoding.
    void LoadFromStream(std::span<const std::uint8_t> bytes) override;
    // Keeps `bytes` themselves, without a copy.
    void LoadFromBytes(std::shared_ptr<const std::vector<std::uint8_t>> bytes) override;
    void SaveToStream(std::vector<std::uint8_t>& out) const override;

    // The decoded Bitmap (own form: 24 bits, or 8 bits with a colour table for
    // a grayscale file), decoding on the first call. EJPEG when decoding fails;
    // a failed decoding is not retried.
    const TBitmap& DecodedBitmap() const;
    bool Decoded() const { return decoded_ != nullptr; }
    // How many times this image ran libjpeg's decoder over its pixels.
    int DecodeCount() const { return decodeCount_; }
    // Number of colour components of the frame (1 grayscale, 3 colour, 4 CMYK).
    int Components() const { return components_; }
    // The EXIF orientation the pixels are stored in, and the stored size.
    ExifOrientation Orientation() const { return orientation_; }
    std::int32_t StoredWidth() const { return storedWidth_; }
    std::int32_t StoredHeight() const { return storedHeight_; }

    // The upright picture decoded by libjpeg at `eighths` eighths of its size
    // (1 to 7; ReducedPicture.h says how large that is), in 24 bits, grey
    // files too: shrink on load, for averaging down to a small picture. Every
    // call decodes (DecodeCount) and keeps nothing; a failure is kept as for
    // the full decoding. 8 gives the decoded Bitmap itself.
    std::shared_ptr<const TBitmap> ScaledBitmap(int eighths) const;
    // The same decoding, but only its part `storedRegion` (in the pixels of
    // the decoding at that scale, as stored, before turning upright), turned
    // upright: libjpeg skips the rows above it, leaves the rows below it
    // undecoded and gives out only its columns (JpegDecoder.h). 1 to 8;
    // unlike the whole decoding, at 8 it is a new 24-bit decoding.
    std::shared_ptr<const TBitmap> ScaledBitmap(int eighths, const TRect& storedRegion) const;

    // Draws `region` into `rect` as DrawRegion does and gives, from the same
    // pass over the data when the draw takes the sampled path, an overview:
    // the upright picture sampled nearest-neighbour at `overviewSize` (no
    // larger than the picture) by the same index rule, as a Bitmap in its own
    // form (24, 32 or 8 bits per pixel). For finding a face and then drawing
    // around it without reading the data again. Like DrawRegion, it reports
    // no change of the Canvas's Bitmap.
    std::unique_ptr<TBitmap> DrawRegionWithOverview(TCanvas& canvas, const TRect& rect, const TRect& region,
                                                    PictureSize overviewSize);

private:
    JpegColors DecodingColors() const;

    // Whether a draw of `region` into `rect` samples (see above).
    bool SampledDrawFor(const TRect& rect, const TRect& region) const;
    // Decodes the samples for `region` drawn into `rect` into sampled_, and
    // the overview when asked for, in one pass.
    std::shared_ptr<PixelGrid> DecodeSamples(const TRect& rect, const TRect& region, const PictureSize* overviewSize);
    // Runs one decoding, counting it and keeping its failure.
    template <class Decoding> auto Decode(Decoding decoding) const;

    DisplayColorDepth displayDepth_;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t storedWidth_ = 0;
    std::int32_t storedHeight_ = 0;
    int components_ = 0;
    ExifOrientation orientation_ = ExifOrientation::TopLeft;
    // Decoding fills these on first need, also through a const image.
    mutable std::shared_ptr<TBitmap> decoded_;
    // The picture sampled for draws of one size and region (see above),
    // until decoded_.
    std::shared_ptr<PixelGrid> sampled_;
    TRect sampledRegion_;
    mutable std::optional<int> decodeError_;
    mutable int decodeCount_ = 0;
};
