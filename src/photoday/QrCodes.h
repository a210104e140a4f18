#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace cv::wechat_qrcode {
class WeChatQRCode;
}

// QR codes of students' codes, for the cards the photo day prints and reads
// back at the camera, through OpenCV: QRCodeEncoder makes them, and contrib's
// wechat_qrcode decodes them (without its optional detection models).

// A QR code's modules, `size` by `size`, with the quiet zone around them.
struct QrModules {
    int size = 0;
    std::vector<std::uint8_t> dark; // rows from the top, 1 for a dark module

    bool Dark(int x, int y) const { return dark[static_cast<std::size_t>(y) * size + x] != 0; }
};

// The QR code of `text` (UTF-8), at the lowest error correction level that
// holds it as OpenCV chooses. Throws std::invalid_argument when OpenCV
// cannot encode it.
QrModules EncodeQrCode(const QString& text);

// Reads the QR codes in camera frames. Not safe to share between threads:
// make one per thread.
class QrCodeReader {
public:
    QrCodeReader();
    ~QrCodeReader();
    QrCodeReader(const QrCodeReader&) = delete;
    QrCodeReader& operator=(const QrCodeReader&) = delete;

    // The texts of the QR codes found in `frame`, looked for in a grey copy
    // whose longer side is at most `longSide` pixels; none for a null frame.
    QStringList Read(const QImage& frame, int longSide = kReadingLongSide);

    // A card held up at arm's length before a 1920 x 1080 camera still has
    // modules of three pixels and more at this size (bench/photoday).
    static constexpr int kReadingLongSide = 960;

private:
    std::unique_ptr<cv::wechat_qrcode::WeChatQRCode> reader_;
};
