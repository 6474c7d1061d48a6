#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "Commands.h"

class Clock;
class RunChannel;
class StepRecordArray;

// Sets the load up for a step as it is entered: set value before mode, input
// on, or the pulsed-load programme; then the step's settling wait.
class OutputProgrammer {
  public:
    // `loadCount` gives the number of loads that share a set value; `halted`
    // tells long waits to give way to Stop and Pause.
    OutputProgrammer(RunChannel& channel, const StepRecordArray& records, const Clock& clock,
                     std::function<int()> loadCount, std::function<bool()> halted);

    // Returns the reason when the step cannot be programmed (a PlusLoad setup
    // time that is not a number).
    std::optional<QString> ProgramStepOutputs(int stepIndex);

  private:
    void ProgramDischarge(int stepIndex);
    std::optional<QString> ProgramPulse(int stepIndex);
    void ProgramLoadLevel(int stepIndex);
    // A set value as each of the loads sharing it gets it.
    double SharedValue(const Cmd::ModeCommands& mode, double value) const;
    // Waits `ms` with events running, giving way to Stop and Pause; the last
    // few milliseconds are spun for accuracy.
    void PacedWait(double ms);

    RunChannel& m_channel;
    const StepRecordArray& m_records;
    const Clock& m_clock;
    std::function<int()> m_loadCount;
    std::function<bool()> m_halted;
    qint64 m_pulseStartCount = 0;
};

// Waits `ms`: events run and `halted` can cut the wait short for all but the
// last few milliseconds, which are spun on the counter for accuracy.
void PacedWait(const Clock& clock, double ms, const std::function<bool()>& halted);
