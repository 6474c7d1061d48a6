#pragma once

#include <QString>
#include <functional>

#include "RunContext.h"

// The steps that run to their end as they are entered, with their own
// pacing: ramps (a level stepped or held, a point at every pass) and load
// levels (mode, value, input on, one point). The step walker enters them
// wherever it meets them.
class InlineSteps {
  public:
    // `fail` ends the run with a reason (a data log that cannot be written).
    InlineSteps(RunContext& context, std::function<void(const QString&)> fail);

    enum class Result {
        Done,    // the step is over: go on with the next one
        Timed,   // a load level with a dwell: the step timer times it now
        Halted,  // Stop, Pause, an error or a safety limit cut the step short
    };

    // Ramps and load levels.
    static bool IsInline(const QString& action);
    Result RunEnteredStep(int stepIndex);

  private:
    // Each returns false when Stop, Pause or an error cut the step short.
    bool RunRamp(int stepIndex);
    bool RunLevel(int stepIndex, bool withDwell);
    void SendLevel(const QString& mode, double level);
    bool TakePoint();
    bool Halted() const;

    RunContext& m_ctx;
    std::function<void(const QString&)> m_fail;
};
