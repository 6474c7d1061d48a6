#pragma once

#include <QHash>
#include <QVector>

#include "CheckFinding.h"

class StepTable;

// Pairs the loop-control steps of a table and reports every pair a run
// would follow wrongly. Each LOOP closes the FOR before it and each LOOP2
// the FOR2 before it; loops of the two levels may nest in either order but
// not cross, and a level holds one loop at a time, because a run keeps one
// row and one counter per level.
class LoopPairs {
  public:
    explicit LoopPairs(const StepTable& table);

    const QVector<CheckFinding>& Findings() const { return m_findings; }
    // The step that closes the loop opened at `forStep`; 0 when none does.
    int LoopEndOf(int forStep) const { return m_ends.value(forStep, 0); }

  private:
    struct OpenLoop {
        int step;
        int level;
    };

    void Open(int step, int level);
    void Close(int step, int level);
    void Report(int step, const QString& text);

    QVector<OpenLoop> m_open;  // innermost last
    QHash<int, int> m_ends;
    QVector<CheckFinding> m_findings;
};
