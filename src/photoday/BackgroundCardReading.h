#pragma once

#include "photoday/OneThreadWorker.h"
#include "photoday/QrCodes.h"

#include <QFuture>
#include <QImage>
#include <QStringList>

// The cards held up before the camera, read from its frames on a thread of
// their own while the live picture goes on.
class BackgroundCardReading {
public:
    BackgroundCardReading();

    // The texts of the QR codes in `frame`, when they are read; none when no
    // reader could be made.
    QFuture<QStringList> Read(QImage frame);

private:
    OneThreadWorker<QrCodeReader> worker_;
};
