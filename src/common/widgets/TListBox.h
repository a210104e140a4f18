#pragma once

#include <QListWidget>

// A list box whose typing may or may not select the item that begins with
// the typed text.
class TListBox : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    void SetTypingSelects(bool selects) { typingSelects_ = selects; }
    void keyboardSearch(const QString& search) override
    {
        if (typingSelects_)
            QListWidget::keyboardSearch(search);
    }

private:
    bool typingSelects_ = true;
};
