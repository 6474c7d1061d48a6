// The one walk of a run through its steps: Start, the step timer's ticks,
// Pause and its resume and a resumed interrupted run share it, so that its
// rules are read in one place; hence its length.
#include "StepWalker.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <exception>

#include "ActionCatalogue.h"
#include "Clock.h"
#include "Commands.h"
#include "Displays.h"
#include "EventWait.h"
#include "Measurement.h"
#include "NumberText.h"
#include "OutputProgrammer.h"
#include "PointLog.h"
#include "PulseReply.h"
#include "ReadingGuard.h"
#include "ResumePlan.h"
#include "RunChannel.h"
#include "RunState.h"
#include "Spinner.h"
#include "TestFile.h"

namespace {
constexpr double kSecondsPerDay = 86400.0;
// A walk through many loop steps (a huge loop count around an empty body)
// lets events run this often, so the window answers and Stop acts.
constexpr qint64 kEventsEveryMs = 20;
// Longest time the timer stays quiet while a step waits for its next point:
// the step's progress is shown anew at least this often.
constexpr qint64 kLongestQuietMs = 1000;
// Points due at once (MeasT shorter than the load takes to answer) follow one
// another without a pass through the event loop for this long; then events
// run, so Stop and the window wait no longer than this plus one point.
constexpr qint64 kBackToBackMs = 1;
}  // namespace

StepWalker::StepWalker(RunContext& context, QObject* parent)
    : QObject(parent),
      m_ctx(context),
      m_inline(context, [this](const QString& reason) { Fail(reason); }),
      m_jumps(context),
      m_schedule(context.clock) {
    m_stepTimer.setTimerType(Qt::PreciseTimer);
    m_stepTimer.setSingleShot(true);
    QObject::connect(&m_stepTimer, &QTimer::timeout, this, &StepWalker::OnRunTick);
}

QString StepWalker::ActionOf(int stepIndex) const {
    return m_ctx.test.Records().Field(stepIndex, StepField::ActionMode);
}

void StepWalker::Begin() {
    RunState& s = m_ctx.state;
    s.CurrentStep = 0;
    if (s.PauseRequested) {
        m_resumeAt = ResumePoint::StepEntry;  // paused while connecting
        return;
    }
    Walk(Origin::Start, Move::Enter, StopReason::None);
}

void StepWalker::Resume() {
    const ResumePoint at = m_resumeAt;
    m_resumeAt = ResumePoint::TimedStep;
    switch (at) {
        case ResumePoint::StepEntry:
            Walk(Origin::Start, Move::Enter, StopReason::None);
            return;
        case ResumePoint::Advance:
            Walk(Origin::StepEnd, Move::GoOn, m_pendingReason);
            return;
        case ResumePoint::TimedStep:
            ResumeTimedStep();
            return;
    }
}

void StepWalker::ResumeAt(const ResumePlan& plan) {
    RunState& s = m_ctx.state;
    m_jumps.RestoreLoops(plan);
    s.CurrentStep = plan.step;
    if (s.PauseRequested) {
        m_resumeAt = ResumePoint::StepEntry;  // paused while connecting
        return;
    }
    if (!plan.timed || ActionOf(s.CurrentStep) == Action::kPlusLoad) {
        Walk(Origin::Start, Move::Enter, StopReason::None);
        return;
    }
    s.StepStartStamp = m_ctx.clock.Now();
    s.StepDwell = KeepFourDecimals(
        NumericValue(m_ctx.test.Table().Cell(s.CurrentStep + 1, StepColumn::DwellTime)));
    Highlight(s.CurrentStep);
    // The time the program was down does not count: the dwell goes on from
    // the elapsed time of the last point, the next point one interval on.
    s.TickTime = m_ctx.clock.TimeOfDay();
    s.StepStartTime = KeepFourDecimals(s.TickTime - plan.stepElapsed);
    s.MeasureRefTime = KeepFourDecimals(s.TickTime);
    s.InputOnAtPause = plan.inputOn;
    ResumeTimedStep();
}

void StepWalker::Reset() {
    StopTicks();
    ClearHighlight();
    m_resumeAt = ResumePoint::TimedStep;
    m_pendingReason = StopReason::None;
}

void StepWalker::OnRunTick() {
    RunState& s = m_ctx.state;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    do {
        m_stepTimer.stop();
        if (s.Halted()) {
            break;
        }
        ++s.WorkDepth;
        try {
            Tick();
        } catch (const std::exception& e) {
            Fail(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            Fail(QStringLiteral("unexpected error"));
        }
        --s.WorkDepth;
    } while (NextTickDueNow() && sinceEvents.elapsed() < kBackToBackMs);
    DeliverHeldPoint();
}

bool StepWalker::DeliverHeldPoint() {
    if (const auto failure = m_ctx.points.DeliverHeld()) {
        Fail(*failure);
        return false;
    }
    return true;
}

bool StepWalker::NextTickDueNow() const {
    return m_stepTimer.isActive() && m_stepTimer.remainingTime() == 0;
}

bool StepWalker::Tick() {
    RunState& s = m_ctx.state;
    s.TickTime = m_ctx.clock.TimeOfDay();
    m_ctx.displays.Set(Displays::Activity, SpinnerAt(s.TickTime));
    if (s.MeasureRefTime - 10 > s.TickTime) {
        s.MeasureRefTime -= kSecondsPerDay;  // midnight passed since the last point
    }
    const int step = s.CurrentStep;
    const QString action = ActionOf(step);
    const double measT = NumericValue(m_ctx.test.Records().Field(step, StepField::MeasTime));
    m_ctx.displays.SetStepProgress(step + 1, action, SecondsSince(s.StepStartTime, s.TickTime),
                                   s.StepDwell);
    if (measT - 0.01 > s.TickTime - s.MeasureRefTime) {
        ArmForNextPoint(s.TickTime);  // no point due yet
        return true;
    }
    // The point before this one may still be held: it goes out while the
    // load works on this point's first query.
    std::optional<QString> deliveryFailure;
    const bool measured = m_ctx.measurement.MeasurePoint(
        [this, &deliveryFailure] { deliveryFailure = m_ctx.points.DeliverHeld(); });
    if (deliveryFailure) {
        Fail(*deliveryFailure);
        return false;
    }
    if (!measured) {
        return true;  // Stop or Pause arrived during the point
    }
    m_ctx.guard.CheckPoint(m_ctx.measurement.LastReading());
    // Held only while the step goes on: every other way on delivers it first.
    if (const auto failure = m_ctx.points.LogPoint(PointLog::Delivery::Held)) {
        Fail(*failure);
        return false;
    }
    s.MeasureRefTime += measT;
    if (ReportTrip()) {
        return true;
    }
    const StopReason reason = EndChecks(m_ctx.test.Records().Record(step), m_ctx.displays);
    if (s.CurrentStep >= m_ctx.test.TotalStepCount()) {
        return DeliverHeldPoint();
    }
    const double timeOfDay = m_ctx.clock.TimeOfDay();
    const double elapsed = KeepFourDecimals(SecondsSince(s.StepStartTime, timeOfDay));
    if (s.StepStartTime > kSecondsPerDay) {
        s.StepStartTime -= kSecondsPerDay;
    }
    const bool dwellOver = elapsed + 0.05 >= s.StepDwell;
    const bool stepGoesOn =
        reason == StopReason::None && !dwellOver && action != Action::kCpCharge && !s.Halted();
    if (!stepGoesOn && !DeliverHeldPoint()) {
        return false;
    }
    if (action == Action::kCpCharge && !ProgramOutputs()) {
        return false;
    }
    if (s.Halted()) {
        return true;
    }
    if (reason != StopReason::None) {
        EndTimedStep(action, reason);
    } else if (dwellOver) {
        EndTimedStep(action, StopReason::StepOver);
    } else {
        ArmForNextPoint(timeOfDay);
    }
    return true;
}

void StepWalker::EndTimedStep(const QString& action, StopReason reason) {
    RunState& s = m_ctx.state;
    if (Action::IsDischarge(action) && !Action::IsDischarge(ActionOf(s.CurrentStep + 1))) {
        m_ctx.channel.LoadOffFirstChannel();
    }
    s.TickTime = m_ctx.clock.TimeOfDay();
    s.StepStartTime = s.TickTime;
    emit stepEnded(s.CurrentStep + 1, reason);
    // Whatever ended a timed step, the run goes on with the next step.
    Walk(Origin::StepEnd, Move::Leave, StopReason::StepOver);
}

void StepWalker::Walk(Origin origin, Move move, StopReason reason) {
    RunState& s = m_ctx.state;
    TestDocument& test = m_ctx.test;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    for (;;) {
        if (sinceEvents.elapsed() >= kEventsEveryMs) {
            ProcessPendingEvents();
            sinceEvents.restart();
        }
        if (move == Move::Enter) {
            if (s.Halted()) {
                m_resumeAt = ResumePoint::StepEntry;
                return;
            }
            s.StepStartStamp = m_ctx.clock.Now();
        } else {
            if (move == Move::Leave) {
                LeaveStep();
            }
            if (s.Halted()) {
                m_resumeAt = ResumePoint::Advance;
                m_pendingReason = reason;
                return;
            }
            m_resumeAt = ResumePoint::TimedStep;
            MoveOn(reason);
        }
        if (s.CurrentStep >= test.TotalStepCount()) {
            ClearHighlight();
            emit listEnded();
            return;
        }
        s.StepDwell = KeepFourDecimals(
            NumericValue(test.Table().Cell(s.CurrentStep + 1, StepColumn::DwellTime)));
        Highlight(s.CurrentStep);
        if (origin == Origin::Start) {
            s.StepStartTime = KeepFourDecimals(m_ctx.clock.TimeOfDay());
            s.MeasureRefTime = s.StepStartTime;
        }

        const QString action = ActionOf(s.CurrentStep);
        if (Action::IsLoopControl(action)) {
            const int next = m_jumps.AfterLoopStep(s.CurrentStep);
            if (action == Action::kFor || action == Action::kFor2) {
                ClearHighlight();  // a loop head shows no highlight while its body runs
            }
            if (origin == Origin::Start) {
                s.CurrentStep = next;
                move = Move::Enter;
            } else {
                s.CurrentStep = next - 1;
                move = Move::Leave;
                reason = StopReason::None;
            }
            continue;
        }
        if (InlineSteps::IsInline(action)) {
            if (origin == Origin::StepEnd) {
                // Timed from its own entry: a load level's dwell starts now,
                // not when the step before ended.
                RestartStepClock();
            }
            const InlineSteps::Result result = m_inline.RunEnteredStep(s.CurrentStep);
            if (result == InlineSteps::Result::Halted) {
                // A ramp or level cut short starts again when resumed.
                m_resumeAt = s.PauseRequested || m_ctx.guard.Tripped() ? ResumePoint::StepEntry
                                                                       : ResumePoint::TimedStep;
                ReportTrip();
                return;
            }
            if (result == InlineSteps::Result::Timed) {
                Arm(origin);
                return;
            }
            emit stepEnded(s.CurrentStep + 1, StopReason::StepOver);
            if (origin == Origin::Start) {
                s.CurrentStep += 1;
                move = Move::Enter;
            } else {
                // A ramp may have taken many seconds: the next step's dwell
                // and its measurement schedule start when it is over.
                RestartStepClock();
                move = Move::Leave;
                reason = StopReason::None;
            }
            continue;
        }
        if (action == Action::kPlusLoad) {
            // A pulse step ends as a timed step does, whatever began the walk.
            origin = Origin::StepEnd;
            if (!RunPulseStep(&reason)) {
                return;
            }
            move = Move::GoOn;
            continue;
        }
        // Every other step is programmed here and timed by the step timer.
        if (ProgramOutputs()) {
            Arm(origin);
        }
        return;
    }
}

void StepWalker::MoveOn(StopReason reason) {
    if (reason == StopReason::StopValue) {
        m_jumps.ToGoToTarget();
    } else {
        m_ctx.state.CurrentStep += 1;
    }
}

void StepWalker::LeaveStep() {
    RunState& s = m_ctx.state;
    s.StepStartStamp = m_ctx.clock.Now();
    m_ctx.measurement.ClearIntegrals();
    if (s.StepDwell > 0) {
        m_ctx.test.Table().SetCell(s.CurrentStep + 1, StepColumn::DwellTime,
                                   NumberText(s.StepDwell));
    }
}

bool StepWalker::RunPulseStep(StopReason* reason) {
    RunState& s = m_ctx.state;
    if (!ProgramOutputs()) {
        return false;
    }
    // Halted in the setup wait or while the train ran: the release cut the
    // train short, so its verdict (if any came) says nothing. Resume runs the
    // step again from its start.
    if (s.Halted()) {
        m_resumeAt = ResumePoint::TimedStep;
        return false;
    }
    *reason = AwaitPulseResult(s.CurrentStep);
    if (s.Halted()) {
        m_resumeAt = ResumePoint::TimedStep;
        return false;
    }
    if (const auto failure = m_ctx.points.LogPoint()) {
        Fail(*failure);
        return false;
    }
    if (m_ctx.guard.Tripped()) {
        // The pulse test is over; a resumed run goes on after it.
        m_resumeAt = ResumePoint::Advance;
        m_pendingReason = *reason;
        ReportTrip();
        return false;
    }
    if (!KeepsPulseLoad(ActionOf(s.CurrentStep + 1))) {
        m_ctx.channel.LoadOffFirstChannel();
    }
    s.StepStartStamp = m_ctx.clock.Now();
    // The pulse train's time moves the measurement schedule with it.
    s.MeasureRefTime += m_ctx.clock.TimeOfDay() - s.StepStartTime;
    s.TickTime = m_ctx.clock.TimeOfDay();
    s.StepStartTime = s.TickTime;
    emit stepEnded(s.CurrentStep + 1, *reason);
    return true;
}

StopReason StepWalker::AwaitPulseResult(int stepIndex) {
    const StepRecordArray& records = m_ctx.test.Records();
    const auto value = [&](StepField f) { return NumericValue(records.Field(stepIndex, f)); };
    // The whole pulse train plus a second of margin.
    const double seconds = (value(StepField::StopAH) + 1) *
                               (value(StepField::StopTime) + value(StepField::StopValue)) / 1000.0 +
                           1.0;
    const PulseReply result = ParsePulseReply(m_ctx.channel.ReadTimed(seconds));
    m_ctx.displays.Set(Displays::Voltage, result.voltage);
    m_ctx.displays.Set(Displays::Current, result.current);
    m_ctx.displays.Set(Displays::Power, result.power);
    m_ctx.guard.CheckPulse(result);
    // A failed pulse test jumps to the step's go-to target.
    return result.code == PulseReply::kFailed ? StopReason::StopValue : StopReason::StepOver;
}

void StepWalker::ResumeTimedStep() {
    RunState& s = m_ctx.state;
    if (ActionOf(s.CurrentStep) == Action::kPlusLoad) {
        Walk(Origin::StepEnd, Move::Enter, StopReason::None);  // the pulse train again
        return;
    }
    if (!ProgramOutputs()) {
        return;
    }
    if (s.InputOnAtPause && !m_ctx.channel.InputOn()) {
        m_ctx.channel.Write(Cmd::kLoadOn);
    }
    Arm(Origin::Start);
}

bool StepWalker::ProgramOutputs() {
    if (const auto failure = m_ctx.outputs.ProgramStepOutputs(m_ctx.state.CurrentStep)) {
        Fail(*failure);
        return false;
    }
    return true;
}

void StepWalker::Arm(Origin origin) {
    RunState& s = m_ctx.state;
    if (s.Halted()) {
        return;  // a Stop or Pause arrived while the step was being set up
    }
    s.StepTimed = true;
    if (origin == Origin::Start) {
        m_schedule.Forget();
        m_stepTimer.start(0);
        return;
    }
    ArmForNextPoint(m_ctx.clock.TimeOfDay());
}

void StepWalker::ArmForNextPoint(double timeOfDay) {
    const RunState& s = m_ctx.state;
    const double measT =
        NumericValue(m_ctx.test.Records().Field(s.CurrentStep, StepField::MeasTime));
    // A MeasT of no use (none, negative, longer than a day) places the point
    // at once or at most a day on; whether it is due stays the tick's rule.
    const double interval = measT > 0 ? std::min(measT, kSecondsPerDay) : 0.0;
    const qint64 due = m_schedule.NextPointCounter(s.MeasureRefTime, interval, timeOfDay);
    // A point already due (MeasT shorter than the load takes to answer) starts
    // once the events that came meanwhile have run.
    const qint64 msToDue = std::llround(-m_ctx.clock.ElapsedMs(due));
    m_stepTimer.start(static_cast<int>(std::clamp<qint64>(msToDue, 0, kLongestQuietMs)));
}

void StepWalker::RestartStepClock() {
    RunState& s = m_ctx.state;
    s.TickTime = m_ctx.clock.TimeOfDay();
    s.StepStartTime = KeepFourDecimals(s.TickTime);
    s.MeasureRefTime = s.StepStartTime;
}

void StepWalker::Highlight(int stepIndex) {
    m_ctx.state.StepTimed = false;
    StepTable& table = m_ctx.test.Table();
    const int row = stepIndex + 1;
    if (m_highlightedRow != 0 && m_highlightedRow != row) {
        table.SetHighlighted(m_highlightedRow, false);
    }
    table.SetHighlighted(row, true);
    table.SetCurrentRow(row);
    m_highlightedRow = row;
    emit stepEntered(row);
}

void StepWalker::ClearHighlight() {
    if (m_highlightedRow != 0) {
        m_ctx.test.Table().SetHighlighted(m_highlightedRow, false);
        m_highlightedRow = 0;
    }
}

bool StepWalker::ReportTrip() {
    const auto trip = m_ctx.guard.TakeTrip();
    if (!trip) {
        return false;
    }
    m_stepTimer.stop();
    if (DeliverHeldPoint()) {
        emit limitReached(*trip);  // a log that cannot be written ended the run already
    }
    return true;
}

void StepWalker::Fail(const QString& reason) {
    m_stepTimer.stop();
    emit failed(reason);
}
