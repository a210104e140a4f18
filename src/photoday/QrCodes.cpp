#include "photoday/QrCodes.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>
#include <opencv2/wechat_qrcode.hpp>

#include <algorithm>
#include <stdexcept>

QrModules EncodeQrCode(const QString& text)
{
    cv::Mat modules;
    try {
        cv::QRCodeEncoder::create()->encode(text.toStdString(), modules);
    } catch (const cv::Exception& error) {
        throw std::invalid_argument(error.what());
    }
    if (modules.empty() || modules.rows != modules.cols || modules.type() != CV_8UC1)
        throw std::invalid_argument("no QR code for " + text.toStdString());
    QrModules code;
    code.size = modules.cols;
    code.dark.reserve(static_cast<std::size_t>(code.size) * code.size);
    // OpenCV gives white (255) and black (0) pixels, one per module.
    for (int y = 0; y < modules.rows; ++y) {
        for (int x = 0; x < modules.cols; ++x)
            code.dark.push_back(modules.at<std::uint8_t>(y, x) < 128 ? 1 : 0);
    }
    return code;
}

QrCodeReader::QrCodeReader() : reader_(std::make_unique<cv::wechat_qrcode::WeChatQRCode>()) { }

QrCodeReader::~QrCodeReader() = default;

QStringList QrCodeReader::Read(const QImage& frame, int longSide)
{
    if (frame.isNull())
        return {};
    const QImage grey = frame.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat whole(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                        static_cast<std::size_t>(grey.bytesPerLine()));
    cv::Mat looked = whole;
    const int longer = std::max(grey.width(), grey.height());
    if (longer > longSide) {
        const double scale = static_cast<double>(longSide) / longer;
        cv::resize(whole, looked, cv::Size(), scale, scale, cv::INTER_AREA);
    }
    QStringList texts;
    try {
        for (const std::string& text : reader_->detectAndDecode(looked))
            texts << QString::fromStdString(text);
    } catch (const cv::Exception&) {
        // A frame OpenCV cannot look at holds no card.
    }
    return texts;
}
