#pragma once

#include <QListWidget>

// The list box of every window: items 13 pixels high, a name too long for
// the list shortened with "…" in its middle (the whole name as a tool tip),
// and typing selects the item that begins with the typed text unless
// switched off.
class TListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 13;

    explicit TListBox(QWidget* parent = nullptr);

    void SetTypingSelects(bool selects) { typingSelects_ = selects; }
    void keyboardSearch(const QString& search) override;

signals:
    // The left button pressed the item that was selected already: a click
    // that changes no selection, which a window may still want to act on.
    void SelectedItemPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool typingSelects_ = true;
};
