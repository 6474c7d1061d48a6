#pragma once

#include <QString>

#include "RunContext.h"

struct ResumePlan;

// Where the walk goes after a loop step or a step that ended on its stop
// value. A FOR or FOR2 step remembers its row and pass count; the pass counter
// itself is the "Loop Times" cell of that row, counted down as the loop
// repeats and restored to its count when the loop is left (Stop reloads the
// test file, which restores it too). A loop left at its end or by a jump past
// its end is no longer the active one: its row is forgotten, so its count
// shows nowhere (Loop1 box, data log) once the run is past it.
class StepJumps {
  public:
    explicit StepJumps(RunContext& context);

    // The loop rule of the loop step at `stepIndex`; returns the index of the
    // step to enter next.
    int AfterLoopStep(int stepIndex);

    // Moves the current step to the go-to target of the current step, which
    // ended on its stop value: "NextStep", "EndLoop", "EndLoop2", "Continue"
    // (the next loop end) or a step number. A pulse step left this way
    // releases the load unless the step it leaves for keeps it.
    void ToGoToTarget();

    // The loops as an interrupted run had counted them down: their rows,
    // counts and "Loop Times" cells.
    void RestoreLoops(const ResumePlan& plan);

  private:
    QString ActionOf(int stepIndex) const;

    RunContext& m_ctx;
};

// Steps after which a pulse step leaves the input as it is.
bool KeepsPulseLoad(const QString& nextAction);
