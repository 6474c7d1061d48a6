#include "StepEditHistory.h"

#include <QUndoCommand>

#include "StepTableEdit.h"

namespace {
// One recorded change. It is already done when it is pushed, so the stack's
// first Redo() does nothing.
class StepEditCommand : public QUndoCommand {
  public:
    StepEditCommand(StepTable& table, StepTableEdit edit, const QString& text)
        : QUndoCommand(text), m_table(table), m_edit(std::move(edit)) {}

    void undo() override { m_edit.Undo(m_table); }
    void redo() override {
        if (m_done) {
            m_edit.Redo(m_table);
        }
        m_done = true;
    }

  private:
    StepTable& m_table;
    StepTableEdit m_edit;
    bool m_done = false;
};
}  // namespace

StepEditHistory::StepEditHistory(StepTable& table, QObject* parent)
    : QObject(parent), m_table(table), m_stack(this) {
    connect(&table, &QAbstractItemModel::modelReset, this, &StepEditHistory::Restart);
    connect(&m_stack, &QUndoStack::indexChanged, this, &StepEditHistory::changed);
    TakeBaseline();
}

void StepEditHistory::Restart() {
    if (m_replaying) {
        return;
    }
    m_stack.clear();
    TakeBaseline();
    emit changed();
}

void StepEditHistory::TakeBaseline() {
    m_baseline = m_table.AllSteps();
    m_baselineRow = m_table.CurrentRow();
}

void StepEditHistory::Record(const QString& text, const std::function<void()>& change) {
    if (m_depth == 0) {
        KeepUnrecorded(text);
    }
    ++m_depth;
    change();
    if (--m_depth > 0) {
        return;
    }
    const QVector<StepTable::Cells> after = m_table.AllSteps();
    StepTableEdit edit =
        StepTableEdit::Between(m_baseline, m_baselineRow, after, m_table.CurrentRow());
    m_baseline = after;
    m_baselineRow = m_table.CurrentRow();
    if (!edit.IsEmpty()) {
        m_stack.push(new StepEditCommand(m_table, std::move(edit), text));
    }
}

void StepEditHistory::KeepUnrecorded(const QString& text) {
    const QVector<StepTable::Cells> now = m_table.AllSteps();
    if (now == m_baseline) {
        m_baselineRow = m_table.CurrentRow();
        return;
    }
    StepTableEdit edit =
        StepTableEdit::Between(m_baseline, m_baselineRow, now, m_table.CurrentRow());
    m_stack.push(new StepEditCommand(m_table, std::move(edit), text));
    m_baseline = now;
    m_baselineRow = m_table.CurrentRow();
}

void StepEditHistory::Undo() {
    KeepUnrecorded(QStringLiteral("Edit Cell"));
    m_replaying = true;
    m_stack.undo();
    m_replaying = false;
    TakeBaseline();
}

void StepEditHistory::Redo() {
    // A change since the last record makes the redo steps stale: it drops them.
    KeepUnrecorded(QStringLiteral("Edit Cell"));
    if (!m_stack.canRedo()) {
        return;
    }
    m_replaying = true;
    m_stack.redo();
    m_replaying = false;
    TakeBaseline();
}

bool StepEditHistory::CanUndo() const {
    return m_stack.canUndo();
}

bool StepEditHistory::CanRedo() const {
    return m_stack.canRedo();
}
