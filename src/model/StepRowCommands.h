#pragma once

#include <QVector>

#include "StepTable.h"

class Operator;

// The row commands of the step table: delete, move up and down, copy and
// paste, and the row range that a copy takes. They change the table only; the
// step records follow when the test file is next saved. Step numbers follow
// the rows by themselves; the current row moves as each command describes.
class StepRowCommands {
  public:
    explicit StepRowCommands(StepTable& table);

    // The selection range: a left-button press on the grid records its row as
    // the first row, the release records the last; a range dragged upwards is
    // turned round.
    void BeginSelection(int gridRow);
    void EndSelection(int gridRow);
    void SetSelection(int firstRow, int lastRow);

    // Removes the current step unless it is the only one; afterwards the last
    // row is the current row. False when nothing was removed.
    bool DeleteCurrentStep();
    // Swap the current step with its neighbour; the current row follows the
    // moved step. False at the edges.
    bool MoveUp();
    bool MoveDown();

    // Copies the selected rows, in table order, into the copy buffer. False
    // when nothing is selected.
    bool Copy();
    bool CanPaste() const { return m_copiedFirstRow >= 1 && m_copiedLastRow >= 1; }
    // With the last row current, appends copies of the copied rows as they
    // read now; elsewhere inserts the buffer's snapshot below the current row.
    // A paste that would take the table beyond its step limit is refused with
    // a message to `op`. False when nothing was pasted.
    bool Paste(Operator& op);

    // The copy buffer: the steps taken by the last copy, first row first.
    const QVector<StepTable::Cells>& CopyBuffer() const { return m_copyBuffer; }
    int CopiedFirstRow() const { return m_copiedFirstRow; }
    int CopiedLastRow() const { return m_copiedLastRow; }

  private:
    void PasteAtEnd();
    void PasteBelowCurrent();

    StepTable& m_table;
    int m_selectionFirstRow = 0;
    int m_selectionLastRow = 0;
    int m_copiedFirstRow = 0;
    int m_copiedLastRow = 0;
    QVector<StepTable::Cells> m_copyBuffer;
};
