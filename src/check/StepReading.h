#pragma once

#include <QString>
#include <QVector>

#include "StepRecord.h"
#include "StepTable.h"

// What a step cell measures, as far as the load's limits care.
enum class Quantity { Plain, Current, Power, Voltage, Resistance };

// A cell of a step that holds a number, and what the number measures.
struct NumberCell {
    StepField field;
    Quantity quantity;
};

// One row of the step table read the way a run reads it: texts as they
// stand, numbers through the test file reader's decimal-comma rule (a run
// takes its step fields from the file the table is saved to).
class StepReading {
  public:
    StepReading(const StepTable& table, int gridRow);

    int Step() const { return m_step; }
    QString Action() const { return Text(StepField::ActionMode); }
    QString Mode() const { return Text(StepField::LoadModeVolt); }
    QString Text(StepField field) const { return m_cells[static_cast<size_t>(field)]; }

    // The number a run takes from the field: the leading number of its text,
    // with a decimal comma read as a point where the reader reads one; 0 for
    // an empty text or one without a number.
    double Value(StepField field) const;
    // True when the field is empty or holds one whole number as the reader
    // keeps it ("2,5" is one where the reader turns the comma into a point).
    bool HoldsNumber(StepField field) const;
    // True when a decimal comma is all that keeps the field from being a
    // number: the reader keeps the comma here, and a run would read "2,5" as 2.
    bool HoldsCommaNumber(StepField field) const;

    // The cells of this step's action that hold numbers, in column order.
    QVector<NumberCell> NumberCells() const;
    // True when the step timer measures and ends the step: the timed actions,
    // and load levels with a dwell.
    bool RunsOnStepTimer() const;

    // What a set value measures in `mode`.
    static Quantity QuantityOfMode(const QString& mode);
    // The column's caption in the step table ("Dwell Time(s)").
    static QString ColumnName(StepField field);

  private:
    QString ReaderText(StepField field) const;

    StepTable::Cells m_cells;
    int m_step;
};
