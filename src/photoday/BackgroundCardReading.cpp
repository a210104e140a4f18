#include "photoday/BackgroundCardReading.h"

#include <utility>

BackgroundCardReading::BackgroundCardReading() : worker_([] { return std::make_unique<QrCodeReader>(); }) { }

QFuture<QStringList> BackgroundCardReading::Read(QImage frame)
{
    return worker_.Run([frame = std::move(frame)](QrCodeReader* reader, const QString&) {
        return reader ? reader->Read(frame) : QStringList();
    });
}
