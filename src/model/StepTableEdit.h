#pragma once

#include <QVector>

#include "StepTable.h"

// One change of the step table as undo and redo replay it: the rows that
// differ between the table before and after, and the current row of each. Only
// the differing rows are kept, so a cell edit in a table of 1000 steps costs a
// row, not a copy of the table.
class StepTableEdit {
  public:
    // What turned `before` into `after`.
    static StepTableEdit Between(const QVector<StepTable::Cells>& before, int currentRowBefore,
                                 const QVector<StepTable::Cells>& after, int currentRowAfter);

    // No row changed.
    bool IsEmpty() const { return m_before.isEmpty() && m_after.isEmpty(); }

    // Puts the table back as it was before (Undo) or after (Redo). The table
    // must hold what the other side left.
    void Undo(StepTable& table) const;
    void Redo(StepTable& table) const;

  private:
    int m_firstRow = 1;  // grid row of the first differing row
    QVector<StepTable::Cells> m_before;
    QVector<StepTable::Cells> m_after;
    int m_currentRowBefore = 0;
    int m_currentRowAfter = 0;
};
