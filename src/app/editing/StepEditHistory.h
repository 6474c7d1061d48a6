#pragma once

#include <QObject>
#include <QUndoStack>
#include <QVector>
#include <functional>

#include "StepTable.h"

// The undo history of the step table. Every change the operator makes goes
// through Record() and becomes one step of the history; Undo() and Redo()
// replay it. A table loaded or laid out anew (another test file, the end of a
// run) starts a new history.
//
// The history compares the table with what it held after the last recorded
// change, so a change made outside Record() (the preset an opening cell
// editor writes) joins the next recorded one instead of being lost to undo.
class StepEditHistory : public QObject {
    Q_OBJECT

  public:
    explicit StepEditHistory(StepTable& table, QObject* parent = nullptr);

    QUndoStack& Stack() { return m_stack; }

    // Runs `change` and keeps what it did to the table as one undo step named
    // `text`. Records inside a record fold into the outer one; a change that
    // leaves the table as it was keeps nothing.
    void Record(const QString& text, const std::function<void()>& change);
    void Undo();
    void Redo();
    bool CanUndo() const;
    bool CanRedo() const;

  signals:
    // CanUndo() or CanRedo() may have changed.
    void changed();

  private:
    void Restart();
    // Keeps what the table changed outside Record() as its own step.
    void KeepUnrecorded(const QString& text);
    void TakeBaseline();

    StepTable& m_table;
    QUndoStack m_stack;
    QVector<StepTable::Cells> m_baseline;
    int m_baselineRow = 0;
    int m_depth = 0;
    bool m_replaying = false;
};
