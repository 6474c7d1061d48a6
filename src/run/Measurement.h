#pragma once

#include <QString>
#include <array>
#include <optional>

#include "ReadingGuard.h"

class Clock;
class Displays;
class PhaseGrid;
class RunChannel;
class StepTable;
struct RunState;

// One measurement point: the loop boxes, the three per-phase queries into
// the phase grid, and the summary boxes the end checks read (mean voltage,
// summed current and power, Ah and kWh integrated since the previous point).
class Measurement {
  public:
    Measurement(RunChannel& channel, const StepTable& steps, PhaseGrid& phases, Displays& displays,
                RunState& state, const Clock& clock);

    // Returns false when Stop or Pause cut the point short.
    bool MeasurePoint();

    // Fills grid column `column` (1 voltage, 2 current, 3 power) from `query`.
    void QueryPhases(const QString& query, int column);

    // What the last point read: the fields the load sent this time, as
    // numbers (a phase missing from a reply, or no number, is left out).
    Reading LastReading() const;

    // Ah and kWh start again from zero at this moment.
    void ClearIntegrals();
    // A new run: the test's Ah and Wh start from zero too.
    void ClearTestTotals();
    // A run picked up again: the step's and the test's integrals go on from
    // these values, counting from this moment.
    void RestoreIntegrals(double stepAh, double stepKwh, double testAh, double testWh);

  private:
    void ShowLoopCounts();
    void NoteFresh(int column, int phase, const QString& text);
    void UpdateSummary();

    RunChannel& m_channel;
    const StepTable& m_steps;
    PhaseGrid& m_phases;
    Displays& m_displays;
    RunState& m_state;
    const Clock& m_clock;
    // Values of this point by column (voltage, current, power) and phase.
    std::array<std::array<std::optional<double>, 3>, 3> m_fresh;
};
