#pragma once

#include <QString>

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

    // Ah and kWh start again from zero at this moment.
    void ClearIntegrals();

  private:
    void ShowLoopCounts();
    void UpdateSummary();

    RunChannel& m_channel;
    const StepTable& m_steps;
    PhaseGrid& m_phases;
    Displays& m_displays;
    RunState& m_state;
    const Clock& m_clock;
};
