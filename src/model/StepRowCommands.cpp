#include "StepRowCommands.h"

#include <utility>

#include "Operator.h"

namespace {
const QString kTooManySteps = QStringLiteral("Test Step too much, Please check it.");
}

StepRowCommands::StepRowCommands(StepTable& table) : m_table(table) {}

void StepRowCommands::BeginSelection(int gridRow) {
    m_selectionFirstRow = gridRow;
}

void StepRowCommands::EndSelection(int gridRow) {
    m_selectionLastRow = gridRow;
    if (m_selectionLastRow < m_selectionFirstRow) {
        std::swap(m_selectionFirstRow, m_selectionLastRow);
    }
}

void StepRowCommands::SetSelection(int firstRow, int lastRow) {
    BeginSelection(firstRow);
    EndSelection(lastRow);
}

bool StepRowCommands::DeleteCurrentStep() {
    const int row = m_table.CurrentRow();
    if (row < 1 || row > m_table.StepCount()) {
        return false;
    }
    const bool removed = m_table.StepCount() > 1;
    if (removed) {
        m_table.RemoveStep(row);
    }
    m_table.SetCurrentRow(m_table.StepCount());
    return removed;
}

bool StepRowCommands::MoveUp() {
    const int row = m_table.CurrentRow();
    if (row < 2 || row > m_table.StepCount()) {
        return false;
    }
    m_table.SwapSteps(row, row - 1);
    m_table.SetCurrentRow(row - 1);
    return true;
}

bool StepRowCommands::MoveDown() {
    const int row = m_table.CurrentRow();
    if (row < 1 || row > m_table.StepCount() - 1) {
        return false;
    }
    m_table.SwapSteps(row, row + 1);
    m_table.SetCurrentRow(row + 1);
    return true;
}

bool StepRowCommands::Copy() {
    if (m_selectionFirstRow == 0 && m_selectionLastRow == 0) {
        return false;
    }
    // A range may reach past the table when rows were deleted since it was
    // selected; only the rows that exist are taken.
    const int first = qMax(1, m_selectionFirstRow);
    const int last = qMin(m_table.StepCount(), m_selectionLastRow);
    if (first > last) {
        return false;
    }
    m_copyBuffer.clear();
    for (int row = first; row <= last; ++row) {
        m_copyBuffer.push_back(m_table.StepCells(row));
    }
    m_copiedFirstRow = first;
    m_copiedLastRow = last;
    return true;
}

bool StepRowCommands::Paste(Operator& op) {
    if (!CanPaste()) {
        return false;
    }
    if (m_table.StepCount() + m_copyBuffer.size() > StepTable::kMaxSteps) {
        op.ShowMessage(kTooManySteps);
        return false;
    }
    if (m_table.CurrentRow() == m_table.StepCount()) {
        PasteAtEnd();
    } else {
        PasteBelowCurrent();
    }
    return true;
}

void StepRowCommands::PasteAtEnd() {
    // The rows are read as they are now, so edits made since the copy come
    // along. Rows that were deleted since the copy are taken from the buffer,
    // never from the copies this paste appends.
    const int existingSteps = m_table.StepCount();
    for (int row = m_copiedFirstRow; row <= m_copiedLastRow; ++row) {
        const StepTable::Cells cells = row <= existingSteps
                                           ? m_table.StepCells(row)
                                           : m_copyBuffer.value(row - m_copiedFirstRow);
        m_table.AppendStep();
        const int newRow = m_table.StepCount();
        m_table.SetCurrentRow(newRow);
        m_table.SetStepCells(newRow, cells);
    }
}

void StepRowCommands::PasteBelowCurrent() {
    int row = m_table.CurrentRow();
    for (const StepTable::Cells& cells : m_copyBuffer) {
        ++row;
        m_table.InsertStep(row);
        m_table.SetStepCells(row, cells);
    }
    m_table.SetCurrentRow(row);
}
