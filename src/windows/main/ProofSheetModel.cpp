#include "windows/main/ProofSheetModel.h"

#include "assignment/AssignmentPlan.h"
#include "assignment/RunMessages.h"
#include "assignment/StudentRows.h"
#include "windows/main/ThumbnailCache.h"

#include <QBrush>
#include <QColor>

ProofSheetModel::ProofSheetModel(const AssignmentPlan& plan, ThumbnailCache& thumbnails, QObject* parent)
    : QAbstractTableModel(parent), plan_(plan), thumbnails_(thumbnails), order_(plan.ProofOrder())
{
    for (qsizetype gridRow = 0; gridRow < order_.size(); ++gridRow) {
        const PlanRow& row = plan_.rows[order_[gridRow]];
        cellsOfFile_.insert(row.source, index(static_cast<int>(gridRow), NewPhotoColumn));
        if (row.destinationExists)
            cellsOfFile_.insert(row.destination, index(static_cast<int>(gridRow), PresentPhotoColumn));
    }
    connect(&thumbnails_, &ThumbnailCache::Ready, this, &ProofSheetModel::ThumbnailReady);
}

int ProofSheetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int ProofSheetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProofSheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= order_.size())
        return {};
    const PlanRow& row = plan_.rows[order_[index.row()]];
    if (role == Qt::BackgroundRole && row.warnings)
        return QBrush(QColor(255, 235, 235));
    if (role == Qt::ForegroundRole && index.column() == WarningsColumn)
        return QBrush(QColor(176, 0, 0));
    if (role == Qt::DecorationRole) {
        // Asking for a thumbnail of a row in view is what starts making it.
        std::optional<QPixmap> thumbnail;
        if (index.column() == NewPhotoColumn)
            thumbnail = thumbnails_.Find(row.source);
        else if (index.column() == PresentPhotoColumn && row.destinationExists)
            thumbnail = thumbnails_.Find(row.destination);
        return thumbnail && !thumbnail->isNull() ? QVariant(*thumbnail) : QVariant();
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case LineColumn:
        return QVariant::fromValue(row.line);
    case CodeColumn:
        return ShownCode(row.code);
    case NewPhotoColumn:
        return row.photoName + u'\n'
               + (row.photo.kind == PhotoFacts::Kind::Unreadable ? KindName(row.photo.kind)
                                                                 : QStringLiteral("%1 %2×%3")
                                                                       .arg(KindName(row.photo.kind))
                                                                       .arg(row.photo.width)
                                                                       .arg(row.photo.height));
    case PresentPhotoColumn:
        if (!row.studentExists)
            return row.destinationExists ? QStringLiteral("现有文件") : QStringLiteral("无");
        return row.destinationExists || !row.currentPhoto.toString().isEmpty() ? PhotoValueText(row.currentPhoto)
                                                                               : QStringLiteral("无");
    case WarningsColumn:
        return row.WarningsText();
    default:
        return {};
    }
}

QVariant ProofSheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList kTitles{QStringLiteral("行号"), QStringLiteral("学籍号"), QStringLiteral("新照片"),
                                     QStringLiteral("现有照片"), QStringLiteral("提示")};
    return kTitles.value(section);
}

void ProofSheetModel::ThumbnailReady(const QString& path)
{
    for (auto cell = cellsOfFile_.constFind(path); cell != cellsOfFile_.cend() && cell.key() == path; ++cell)
        emit dataChanged(*cell, *cell, {Qt::DecorationRole});
}
