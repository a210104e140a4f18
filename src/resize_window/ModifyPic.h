#pragma once

#include <QDialog>

// The batch resize window.
class TfrmPicture : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPicture(QWidget* parent = nullptr);
};
