#pragma once

#include "common/picture/TBitmap.h"
#include "common/picture/TGraphic.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TFileFormatsList;

// A JPEG file held in memory. Loading keeps the bytes and reads the frame
// header only; the pixels are decoded by libjpeg the first time they are
// needed (drawn, or a Bitmap assigned from it) and the decoded Bitmap serves
// every later use. The image never changes size and is never written as JPEG
// by this tool (a save writes the bytes it was loaded from).
class TJPEGImage final : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    std::unique_ptr<TGraphic> NewEmpty() const override;
    // From a TJPEGImage: the same bytes (and its decoded pixels, shared).
    // From nullptr: empty. Other kinds: EInvalidGraphicOperation.
    void Assign(const TGraphic* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override;                   // true when no bytes were loaded
    std::int32_t Width() const override { return width_; }
    std::int32_t Height() const override { return height_; }
    // EInvalidGraphicOperation "Cannot change the size of a JPEG image".
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;
    // Keeps the bytes and reads the header; EJPEG for data that is not a JPEG
    // image. Zero bytes load without error and fail at the first decoding.
    void LoadFromStream(std::span<const std::uint8_t> bytes) override;
    void SaveToStream(std::vector<std::uint8_t>& out) const override;

    // The decoded Bitmap (own form: 24 bits, or 8 bits with a colour table for
    // a grayscale file), decoding on the first call. EJPEG when decoding fails;
    // a failed decoding is not retried.
    const TBitmap& DecodedBitmap() const;
    bool Decoded() const { return decoded_ != nullptr; }
    // How many times this image ran libjpeg's decoder over its pixels (0 or 1).
    int DecodeCount() const { return decodeCount_; }
    // Number of colour components of the frame (1 grayscale, 3 colour, 4 CMYK).
    int Components() const { return components_; }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int components_ = 0;
    // Decoding fills these on first need, also through a const image.
    mutable std::shared_ptr<TBitmap> decoded_;
    mutable std::optional<int> decodeError_;
    mutable int decodeCount_ = 0;
};

// Adds the JPEG image's two entries, "jpeg" then "jpg", to the registry.
void RegisterJpegFormats(TFileFormatsList& list);
