#include "resize_window/ModifyPic.h"

TfrmPicture::TfrmPicture(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("图片大小调整"));
    setFixedSize(454, 270);
}
