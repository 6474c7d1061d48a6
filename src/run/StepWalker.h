#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "EndChecks.h"
#include "InlineSteps.h"
#include "PointSchedule.h"
#include "ReadingGuard.h"
#include "RunContext.h"
#include "StepJumps.h"

struct ResumePlan;

// Walks a run through its steps. Start and every tick of the step timer use
// the one walk: from the current step through loop steps, go-to targets,
// ramps, load levels and pulse steps, which all run to their end as they are
// entered, to the next step that the timer must time (it is programmed and
// the timer armed) or to the end of the list.
//
// At each tick the walker decides whether a measurement point is due, takes
// and logs it, checks the step's end conditions and its dwell, and at the
// step's end walks on. Stop and Pause land inside the walk's waits; the walk
// then returns at once and remembers where Resume picks it up.
//
// The walker reports through its signals; its owner ends the run.
class StepWalker : public QObject {
    Q_OBJECT

  public:
    explicit StepWalker(RunContext& context, QObject* parent = nullptr);

    // Walks from step 1; a run paused before this waits for Resume.
    void Begin();
    // Picks a paused walk up where Pause left it: the step being entered
    // starts again, an interrupted advance goes on, a timed step is
    // programmed anew with the input as it was, a pulse step whose verdict
    // had not come runs again from its start.
    void Resume();
    // Picks up a run that was interrupted: the loops as they were counted
    // down, then the step, programmed again with its dwell going on from
    // where it was (or entered anew when it was not being timed).
    void ResumeAt(const ResumePlan& plan);
    // No further tick: Stop or Pause.
    void StopTicks() { m_stepTimer.stop(); }
    // The run is over: no tick, no highlight, nothing to resume.
    void Reset();

  signals:
    // A step was entered (its grid row), loop steps included.
    void stepEntered(int gridRow);
    // A step other than a loop step came to its end.
    void stepEnded(int gridRow, StopReason reason);
    // The walk went past the last step.
    void listEnded();
    // The walk cannot go on: a log line that cannot be written, a step that
    // cannot be programmed.
    void failed(const QString& reason);
    // A reading crossed a safety limit: the load is off and the point logged;
    // the run is to stop or pause.
    void limitReached(const LimitTrip& trip);

  private:
    // What began a walk. A walk begun by Start (or by resuming a step paused
    // while it was entered) times each step from its own entry, keeps the
    // charge counting across steps and arms the timer for a tick at once. A
    // walk begun by the end of a step times the next step from that end,
    // counts the charge anew for each step, writes the left step's dwell back
    // and re-arms the timer on the measurement schedule.
    enum class Origin { Start, StepEnd };
    // How the walk reaches the step it works on first.
    enum class Move {
        Enter,  // enter the current step
        Leave,  // leave the current step, then go on by the reason
        GoOn,   // the current step is done with: go on by the reason
    };
    // Where Resume picks a paused walk up.
    enum class ResumePoint { TimedStep, StepEntry, Advance };

    void OnRunTick();
    // Returns false when an error stopped the run.
    bool Tick();
    void EndTimedStep(const QString& action, StopReason reason);
    void Walk(Origin origin, Move move, StopReason reason);
    // The step after the current one, by the go-to target or in order.
    void MoveOn(StopReason reason);
    // Leaves the current step as a step end does: the step's time stamp, the
    // charge counted anew, the dwell written back in its normal form.
    void LeaveStep();
    // Runs the pulse step at the current index; false when the walk must stop
    // there (Stop, Pause, an error).
    bool RunPulseStep(StopReason* reason);
    void ResumeTimedStep();
    bool ProgramOutputs();
    StopReason AwaitPulseResult(int stepIndex);
    // Arms the step timer for a first tick at once (a walk begun by Start) or
    // on the measurement schedule (a walk begun by a step's end).
    void Arm(Origin origin);
    // Arms the step timer for the moment the step's next point is due (or
    // sooner, to show the step's progress during a long wait); `timeOfDay`
    // was read just before.
    void ArmForNextPoint(double timeOfDay);
    // The running step's time and measurement schedule start at this moment.
    void RestartStepClock();
    void Highlight(int stepIndex);
    void ClearHighlight();
    void Fail(const QString& reason);
    // Reports a trip of the reading guard, if one waits; true when it did.
    bool ReportTrip();
    QString ActionOf(int stepIndex) const;
    // The step timer is armed for now: the next tick need not wait for events.
    bool NextTickDueNow() const;
    // Delivers the point the data log holds back, if any; false (and the run
    // failed) when the data log could not be written.
    bool DeliverHeldPoint();

    RunContext& m_ctx;
    InlineSteps m_inline;
    StepJumps m_jumps;
    PointSchedule m_schedule;
    QTimer m_stepTimer;
    int m_highlightedRow = 0;
    ResumePoint m_resumeAt = ResumePoint::TimedStep;
    StopReason m_pendingReason = StopReason::None;
};
