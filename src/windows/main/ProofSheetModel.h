#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QMultiHash>

struct AssignmentPlan;
class ThumbnailCache;

// The rows of a plan for the proof sheet's grid, rows with warnings first:
// line, code, the new photo and the present one (thumbnails from the cache,
// filled in as they are made) and the warnings.
class ProofSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { LineColumn, CodeColumn, NewPhotoColumn, PresentPhotoColumn, WarningsColumn, ColumnCount };

    // Both must outlive the model.
    ProofSheetModel(const AssignmentPlan& plan, ThumbnailCache& thumbnails, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void ThumbnailReady(const QString& path);

    const AssignmentPlan& plan_;
    ThumbnailCache& thumbnails_;
    QList<qsizetype> order_; // grid row → plan row
    QMultiHash<QString, QModelIndex> cellsOfFile_;
};
