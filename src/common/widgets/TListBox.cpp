#include "common/widgets/TListBox.h"

#include <QStyledItemDelegate>

namespace {

// Draws items as usual, each exactly as high as the list box's item height.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), TListBox::kItemHeight};
    }
};

} // namespace

TListBox::TListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new FixedHeightDelegate(this));
    setUniformItemSizes(true);
}

void TListBox::keyboardSearch(const QString& search)
{
    if (typingSelects_)
        QListWidget::keyboardSearch(search);
}
