#pragma once

#include <QAbstractTableModel>
#include <QVector>

#include "LogStepSummary.h"

// The steps of a data log as the log viewer's table shows them: one row per
// stretch of a step, with its start, duration, last voltage, charge and energy.
class LogStepTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column : int {
        kStep,
        kPass,
        kMode,
        kStart,
        kDuration,
        kPoints,
        kLastVoltage,
        kAmpereHours,
        kWattHours,
        kColumns
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Takes the summary's rows: rows already shown are kept, the last one
    // refreshed (it may have grown), new ones added.
    void Update(const QVector<StepStretch>& stretches);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QVariant Text(const StepStretch& stretch, int column) const;

    QVector<StepStretch> m_rows;
};
