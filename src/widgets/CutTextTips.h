#pragma once

#include <QStyledItemDelegate>

// Draws cells as usual and, when the pointer rests on a cell whose text the
// column cuts short, shows the whole text as a tool tip; a cell that shows
// its whole text shows none. For a grid whose columns are sized to most of
// their texts rather than to every one.
class CutTextTips : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Whether the cell at `index`, drawn in `option`'s rectangle, cuts its text.
    bool CutsText(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
