#include "StepTableEdit.h"

StepTableEdit StepTableEdit::Between(const QVector<StepTable::Cells>& before, int currentRowBefore,
                                     const QVector<StepTable::Cells>& after, int currentRowAfter) {
    const int shorter = qMin(before.size(), after.size());
    int head = 0;
    while (head < shorter && before[head] == after[head]) {
        ++head;
    }
    // The equal tail must not reach back into the equal head.
    int tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    StepTableEdit edit;
    edit.m_firstRow = head + 1;
    edit.m_before = before.mid(head, before.size() - head - tail);
    edit.m_after = after.mid(head, after.size() - head - tail);
    edit.m_currentRowBefore = currentRowBefore;
    edit.m_currentRowAfter = currentRowAfter;
    return edit;
}

void StepTableEdit::Undo(StepTable& table) const {
    table.ReplaceSteps(m_firstRow, m_after.size(), m_before);
    table.SetCurrentRow(m_currentRowBefore);
}

void StepTableEdit::Redo(StepTable& table) const {
    table.ReplaceSteps(m_firstRow, m_before.size(), m_after);
    table.SetCurrentRow(m_currentRowAfter);
}
