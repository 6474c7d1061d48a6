#pragma once

#include <QString>

#include "RunContext.h"

class InlineSteps;
class RunControl;

// The step timer's work: at each tick it decides whether a measurement point
// is due, takes and logs it, checks the running step's end conditions, and at
// a step end walks on through loops, go-to targets and pulse steps to the
// next timed step, which it programs before re-arming the timer.
class Sequencer {
  public:
    enum StopReason : int { kNothing = 0, kStepOver = 1, kStopValue = 2, kStopAh = 3 };

    Sequencer(RunContext& context, RunControl& control, InlineSteps& inlineSteps);

    // The step timer's event.
    void RunTimer_Timer();

    // Enters the current step as the advance enters any step: a pulse step
    // runs its pulse train and the walk goes on; any other step is programmed
    // and timed. Start uses it for the first step it does not run itself.
    void EnterTimedStep();

    // Picks a paused run up again: the advance it was in, or the timed step
    // it was timing, programmed anew with the input as it was.
    void ResumeAdvance(int stopReason) { Advance(false, stopReason); }
    void ResumeTimedStep();

    // Arms the step timer at 10 ms.
    void Arm();

    // The loop-control rules for the loop step at `stepIndex`; returns the
    // index of the step to continue with.
    int ApplyLoopRule(int stepIndex);

    // Highlights the running step's row (and removes the previous highlight).
    void HighlightStep(int stepIndex);
    void ClearHighlight();

  private:
    // Returns false when an error stopped the run.
    bool Tick();
    int EndChecks(const QString& action, int stepIndex) const;
    void StepEnd(const QString& action);
    // The advance; `fromTop` starts at entry point A, else at B.
    void Advance(bool fromTop, int stopReason);
    void ApplyGoTo();
    int WaitForReceiveTimeOut(int stepIndex);
    void ReArm();
    // The running step's time and measurement schedule start at this moment.
    void RestartStepClock();
    void FailRun(const QString& reason);
    QString ActionOf(int stepIndex) const;
    bool Halted() const;

    RunContext& m_ctx;
    RunControl& m_control;
    InlineSteps& m_inline;
    int m_highlightedRow = 0;
};
