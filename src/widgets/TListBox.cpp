#include "widgets/TListBox.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

// Draws items exactly as high as the list box's item height and no wider than
// the list, so that a long name is shortened with "…" in its middle (where
// the extension and a name's distinguishing end stay visible) instead of
// running past the list's edge. Its whole text shows as a tool tip.
class ListItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        // A width of nothing makes each item as wide as the list's viewport.
        return {0, TListBox::kItemHeight};
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        if (option.fontMetrics.horizontalAdvance(text) < option.rect.width())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        return true;
    }
};

} // namespace

TListBox::TListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new ListItemDelegate(this));
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideMiddle);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TListBox::keyboardSearch(const QString& search)
{
    if (typingSelects_)
        QListWidget::keyboardSearch(search);
}

void TListBox::mousePressEvent(QMouseEvent* event)
{
    const QListWidgetItem* pressed = itemAt(event->position().toPoint());
    const bool wasSelected = pressed != nullptr && pressed->isSelected();
    QListWidget::mousePressEvent(event);
    if (wasSelected && pressed->isSelected() && event->button() == Qt::LeftButton)
        emit SelectedItemPressed();
}
