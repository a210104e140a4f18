#pragma once

#include "assignment/views/PlanRowView.h"

#include <QAbstractTableModel>
#include <QList>
#include <QMultiHash>

struct AssignmentPlan;
class ThumbnailCache;

// The rows of a plan for the proof sheet's grid in its proof order (rows
// with warnings first, tinted; then rows with only notices): the columns of
// PlanRowView.h, the cells that show a photo with its thumbnail from the
// cache, filled in as they are made. It can show the rows with warnings alone.
class ProofSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Both must outlive the model.
    ProofSheetModel(const AssignmentPlan& plan, ThumbnailCache& thumbnails, QObject* parent = nullptr);

    // Shows `plan` instead, its rows in their new order (the face checks
    // add warnings after the sheet has opened).
    void Show(const AssignmentPlan& plan);
    // Shows only the rows with warnings (HasWarning), or all rows again.
    void ShowWarningsOnly(bool only);

    // The text of the column that is likely widest on screen, judged by its
    // characters (a Chinese one counts two) rather than measured, so that
    // thousands of rows are sized at once: the one text to measure.
    QString WidestText(PlanColumn column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void ThumbnailReady(const QString& path);

    const AssignmentPlan* plan_;
    ThumbnailCache& thumbnails_;
    bool warningsOnly_ = false;
    QList<PlanRowView> views_; // in grid order
    QList<bool> warned_;       // per grid row: whether it has a warning
    QMultiHash<QString, QModelIndex> cellsOfFile_;
};
