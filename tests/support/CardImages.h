#pragma once

#include "photoday/QrCodes.h"

#include <QColor>
#include <QImage>
#include <QPainter>

// A student's card as the camera sees it held up: its QR code printed with
// `modulePixels` pixels a module (the quiet zone white), for the photo day's
// tests and bench.
inline QImage QrCardImage(const QString& code, int modulePixels)
{
    const QrModules modules = EncodeQrCode(code);
    QImage card(modules.size * modulePixels, modules.size * modulePixels, QImage::Format_RGB32);
    card.fill(Qt::white);
    QPainter painter(&card);
    for (int y = 0; y < modules.size; ++y) {
        for (int x = 0; x < modules.size; ++x) {
            if (modules.Dark(x, y))
                painter.fillRect(x * modulePixels, y * modulePixels, modulePixels, modulePixels, Qt::black);
        }
    }
    return card;
}

// `frame` with `card` held up at `place` (its top left corner).
inline QImage HoldingUp(const QImage& frame, const QImage& card, QPoint place)
{
    QImage shown = frame.convertToFormat(QImage::Format_RGB32);
    QPainter(&shown).drawImage(place, card);
    return shown;
}
