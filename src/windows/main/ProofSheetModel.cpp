#include "windows/main/ProofSheetModel.h"

#include "assignment/plan/AssignmentPlan.h"
#include "windows/main/ThumbnailCache.h"

#include <QBrush>
#include <QColor>

ProofSheetModel::ProofSheetModel(const AssignmentPlan& plan, ThumbnailCache& thumbnails, QObject* parent)
    : QAbstractTableModel(parent), plan_(&plan), thumbnails_(thumbnails)
{
    Show(plan);
    connect(&thumbnails_, &ThumbnailCache::Ready, this, &ProofSheetModel::ThumbnailReady);
}

void ProofSheetModel::Show(const AssignmentPlan& plan)
{
    plan_ = &plan;
    beginResetModel();
    views_.clear();
    warned_.clear();
    cellsOfFile_.clear();
    for (const qsizetype planRow : plan.ProofOrder()) {
        const bool warned = HasWarning(plan.rows[planRow]);
        // The proof order puts every row with a warning first.
        if (warningsOnly_ && !warned)
            break;
        warned_ << warned;
        const PlanRowView& view = views_.emplace_back(ViewOfPlanRow(plan.rows[planRow]));
        for (int column = 0; column < kPlanColumnCount; ++column) {
            if (!view.cells[column].photo.isEmpty())
                cellsOfFile_.insert(view.cells[column].photo, index(static_cast<int>(views_.size() - 1), column));
        }
    }
    endResetModel();
}

void ProofSheetModel::ShowWarningsOnly(bool only)
{
    if (only == warningsOnly_)
        return;
    warningsOnly_ = only;
    Show(*plan_);
}

namespace {

// A text's width in Latin characters: wide (East Asian) characters count two.
qsizetype CharacterWidth(const QString& text)
{
    qsizetype width = text.size();
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 1 : 0;
    return width;
}

} // namespace

QString ProofSheetModel::WidestText(PlanColumn column) const
{
    QString widest;
    qsizetype widestWidth = -1;
    for (const PlanRowView& view : views_) {
        const QString& text = view[column].text;
        if (const qsizetype width = CharacterWidth(text); width > widestWidth) {
            widest = text;
            widestWidth = width;
        }
    }
    return widest;
}

int ProofSheetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(views_.size());
}

int ProofSheetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kPlanColumnCount;
}

QVariant ProofSheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= views_.size() || index.column() >= kPlanColumnCount)
        return {};
    const PlanRowView& view = views_[index.row()];
    const PlanCell& cell = view.cells[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case Qt::DecorationRole: {
        if (cell.photo.isEmpty())
            return {};
        // Asking for a thumbnail of a row in view is what starts making it.
        const std::optional<QPixmap> thumbnail = thumbnails_.Find(cell.photo);
        return thumbnail && !thumbnail->isNull() ? QVariant(*thumbnail) : QVariant();
    }
    case Qt::BackgroundRole:
        return warned_[index.row()] ? QBrush(QColor(255, 235, 235)) : QVariant();
    case Qt::ForegroundRole:
        return warned_[index.row()] && index.column() == static_cast<int>(PlanColumn::Warnings)
                   ? QBrush(QColor(176, 0, 0))
                   : QVariant();
    default:
        return {};
    }
}

QVariant ProofSheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kPlanColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return PlanColumnTitle(static_cast<PlanColumn>(section));
}

void ProofSheetModel::ThumbnailReady(const QString& path)
{
    for (auto cell = cellsOfFile_.constFind(path); cell != cellsOfFile_.cend() && cell.key() == path; ++cell)
        emit dataChanged(*cell, *cell, {Qt::DecorationRole});
}
