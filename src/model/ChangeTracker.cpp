#include "ChangeTracker.h"

ChangeTracker::ChangeTracker(const StepTable& table, QObject* parent)
    : QObject(parent), m_table(table) {
    const auto compareAll = [this] { Update(AnyDifference()); };
    connect(&table, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                OnRowsChanged(topLeft.row() + 1, bottomRight.row() + 1);
            });
    connect(&table, &QAbstractItemModel::rowsInserted, this, compareAll);
    connect(&table, &QAbstractItemModel::rowsRemoved, this, compareAll);
    connect(&table, &QAbstractItemModel::rowsMoved, this, compareAll);
    connect(&table, &QAbstractItemModel::modelReset, this, compareAll);
    connect(&table, &QAbstractItemModel::layoutChanged, this, compareAll);
}

void ChangeTracker::MarkClean(const QVector<StepTable::Cells>& fileSteps,
                              const TestOptions& fileOptions, bool fileDiffers) {
    m_fileSteps = fileSteps;
    m_fileOptions = fileOptions;
    m_fileDiffers = fileDiffers;
    Update(AnyDifference());
}

void ChangeTracker::SetOptions(const TestOptions& options) {
    m_options = options;
    Update(AnyDifference());
}

void ChangeTracker::Hold() {
    ++m_holds;
}

void ChangeTracker::Release() {
    if (m_holds > 0 && --m_holds == 0) {
        Update(AnyDifference());
    }
}

void ChangeTracker::OnRowsChanged(int firstRow, int lastRow) {
    if (m_holds > 0) {
        return;
    }
    for (int row = firstRow; row <= lastRow; ++row) {
        if (RowDiffers(row)) {
            Update(true);
            return;
        }
    }
    // The rows that changed match the file: the rest decides, and when the
    // table was clean it still is (most changes are highlights of a run).
    if (m_modified) {
        Update(AnyDifference());
    }
}

bool ChangeTracker::RowDiffers(int gridRow) const {
    if (gridRow < 1 || gridRow > m_table.StepCount()) {
        return false;
    }
    return gridRow > m_fileSteps.size() || m_table.StepCells(gridRow) != m_fileSteps[gridRow - 1];
}

bool ChangeTracker::AnyDifference() const {
    if (m_fileDiffers || m_options != m_fileOptions || m_table.StepCount() != m_fileSteps.size()) {
        return true;
    }
    for (int row = 1; row <= m_table.StepCount(); ++row) {
        if (RowDiffers(row)) {
            return true;
        }
    }
    return false;
}

void ChangeTracker::Update(bool modified) {
    if (m_holds > 0 || modified == m_modified) {
        return;
    }
    m_modified = modified;
    emit modifiedChanged(modified);
}
