#pragma once

#include <functional>

#include <QDeadlineTimer>
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

// The numbers one reply brought for phases A, B and C; a phase the reply did
// not fill, or filled with something that is no number, has none.
using PhaseValues = std::array<std::optional<double>, 3>;

// One measurement point: the loop boxes, the three per-phase queries into
// the phase grid, and the summary boxes the end checks read (mean voltage,
// summed current and power, Ah and kWh integrated since the previous point),
// computed from this point's replies only.
//
// The three queries of a point share one time budget, so a silent load costs
// a few seconds a point, not a read time-out per query. A point none of whose
// replies holds a number is missed; RunState::MaxMissedPoints of them in a
// row declare the load lost.
class Measurement {
  public:
    static constexpr int kPointBudgetMs = 3000;

    Measurement(RunChannel& channel, const StepTable& steps, PhaseGrid& phases, Displays& displays,
                RunState& state, const Clock& clock);

    // Returns false when Stop or Pause cut the point short, or the load was
    // declared lost. `whileTheLoadAnswers`, when given, runs once the point's
    // first query is on its way (work that need not hold the point up).
    bool MeasurePoint(const std::function<void()>& whileTheLoadAnswers = {});

    // Fills grid column `column` (1 voltage, 2 current, 3 power) from `query`,
    // asking no later than `deadline`. Returns what this reply brought.
    PhaseValues QueryPhases(
        const QString& query, int column,
        const QDeadlineTimer& deadline = QDeadlineTimer(QDeadlineTimer::Forever),
        const std::function<void()>& whileTheLoadAnswers = {});

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
    // What the replies of the point in progress brought.
    struct Tally {
        bool replied = false;  // some read brought a reply
        bool number = false;   // some phase value read as a number
    };

    void ShowLoopCounts();
    void UpdateSummary(const PhaseValues& voltages, const PhaseValues& currents,
                       const PhaseValues& powers);
    // Counts a point that brought no number; false when that declared the
    // load lost.
    bool CountMissedPoint();

    RunChannel& m_channel;
    const StepTable& m_steps;
    PhaseGrid& m_phases;
    Displays& m_displays;
    RunState& m_state;
    const Clock& m_clock;
    // Values of this point by column (voltage, current, power).
    std::array<PhaseValues, 3> m_fresh;
    Tally m_tally;
};
