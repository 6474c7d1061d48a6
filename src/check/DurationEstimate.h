#pragma once

#include <QVector>

#include "CheckFinding.h"

class LoopPairs;
class StepReading;
class StepTable;

// The longest a table runs: every timed step for its dwell (or until its
// first point, when that comes later), pulse trains for their cycles, ramps
// for their ramp time, loops multiplied out. Stop conditions may end steps
// sooner; a pulse test that fails and jumps back may run longer.
//
// On the way it finds loops whose passes run into the thousands around steps
// that take no time: a run would race through them without a pause.
class DurationEstimate {
  public:
    // Passes through timeless steps beyond which a loop counts as runaway.
    static constexpr double kRunawayPasses = 10000;

    DurationEstimate(const StepTable& table, const LoopPairs& loops);

    double Seconds() const { return m_seconds; }
    const QVector<CheckFinding>& Findings() const { return m_findings; }

    // Seconds one pass of a step takes at most (loop steps take none).
    static double StepSeconds(const StepReading& step);
    // The passes a run makes through a FOR or FOR2 loop: its count rounded
    // up, at least one.
    static double LoopPasses(const StepReading& forStep);

  private:
    // Seconds of steps `first` to `last`, inside loops making `passesAround`
    // passes in all.
    double Span(int first, int last, double passesAround);

    const StepTable& m_table;
    const LoopPairs& m_loops;
    double m_seconds = 0;
    QVector<CheckFinding> m_findings;
};
