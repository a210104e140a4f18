#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// Every failure of the picture component is one of these; what() is the exact
// message the user sees.
class EPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Not a picture of the kind its name says ("Bitmap image is not valid",
// "Unknown picture file extension (.%s)").
class EInvalidGraphic : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// "Cannot open file "%s". %s"
class EFOpenError : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// "Cannot create file "%s". %s"
class EFCreateError : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// "Stream read error": data ends before a part it announces.
class EReadError : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// "Stream write error": a file could not be written to its end.
class EWriteError : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// "Can only modify an image if it contains a bitmap"
class EInvalidOperation : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// A pixel grid that cannot be made (negative or too large).
class EOutOfResources : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// "JPEG error #%d" with libjpeg's message code.
class EJPEG : public EPictureError {
public:
    EJPEG(int messageCode);
    int MessageCode() const { return messageCode_; }

private:
    int messageCode_;
};

// A JPEG file of a picture would be larger than a limit even at the lowest
// quality allowed (JpegWriter.h).
class EJpegTooLarge : public EPictureError {
public:
    EJpegTooLarge(std::size_t maxBytes, int lowestQuality, std::size_t bytesAtLowest);
    std::size_t MaxBytes() const { return maxBytes_; }
    int LowestQuality() const { return lowestQuality_; }
    std::size_t BytesAtLowest() const { return bytesAtLowest_; }

private:
    std::size_t maxBytes_;
    int lowestQuality_;
    std::size_t bytesAtLowest_;
};

// "Cannot change the size of a JPEG image"
class EInvalidGraphicOperation : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// The fixed messages, for code that raises and for tests that compare.
inline constexpr const char* kBitmapNotValidMessage = "Bitmap image is not valid";
inline constexpr const char* kStreamReadErrorMessage = "Stream read error";
inline constexpr const char* kStreamWriteErrorMessage = "Stream write error";
inline constexpr const char* kOutOfResourcesMessage = "Out of system resources";
inline constexpr const char* kOnlyModifyBitmapMessage = "Can only modify an image if it contains a bitmap";
inline constexpr const char* kJpegSizeChangeMessage = "Cannot change the size of a JPEG image";
inline constexpr const char* kNoPixelsToWriteMessage = "The picture has no pixels to write";
