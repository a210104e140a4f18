#include "capture_window/GetPic.h"

TFrmGetPic::TFrmGetPic(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("图片采集"));
    setFixedSize(960, 384);
}
