#pragma once

#include <QDialog>

// The capture and crop window.
class TFrmGetPic : public QDialog {
    Q_OBJECT
public:
    explicit TFrmGetPic(QWidget* parent = nullptr);
};
