#include "Sequencer.h"

#include <QTimer>
#include <cmath>
#include <exception>

#include "ActionCatalogue.h"
#include "Clock.h"
#include "Commands.h"
#include "Displays.h"
#include "InlineSteps.h"
#include "LoadConnection.h"
#include "Measurement.h"
#include "NumberText.h"
#include "OutputProgrammer.h"
#include "PointLog.h"
#include "PulseReply.h"
#include "RunChannel.h"
#include "RunControl.h"
#include "RunState.h"
#include "Spinner.h"
#include "TestFile.h"

namespace {
constexpr double kSecondsPerDay = 86400.0;
constexpr int kFallbackIntervalMs = 10;

bool IsDischarge(const QString& action) {
    return action == Action::kDisCharge || action == Action::kDcirLow ||
           action == Action::kDcirHigh;
}

// Steps after which a pulse step leaves the input as it is.
bool KeepsPulseLoad(const QString& action) {
    return action == Action::kPlusLoad || action == Action::kLoop || action == Action::kLoop2;
}
}  // namespace

Sequencer::Sequencer(RunContext& context, RunControl& control, InlineSteps& inlineSteps)
    : m_ctx(context), m_control(control), m_inline(inlineSteps) {}

QString Sequencer::ActionOf(int stepIndex) const {
    return m_ctx.test.Records().Field(stepIndex, StepField::ActionMode);
}

bool Sequencer::Halted() const {
    return m_ctx.state.StopRequested || m_ctx.state.PauseRequested;
}

void Sequencer::RunTimer_Timer() {
    m_ctx.runTimer.stop();
    if (Halted()) {
        return;
    }
    ++m_ctx.state.WorkDepth;
    try {
        Tick();
    } catch (const std::exception& e) {
        FailRun(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        FailRun(QStringLiteral("unexpected error"));
    }
    --m_ctx.state.WorkDepth;
}

bool Sequencer::Tick() {
    RunState& s = m_ctx.state;
    s.TickTime = m_ctx.clock.TimeOfDay();
    m_ctx.displays.Set(Displays::WorkLabel, SpinnerAt(s.TickTime));
    if (s.MeasureRefTime - 10 > s.TickTime) {
        s.MeasureRefTime -= kSecondsPerDay;  // midnight passed since the last point
    }
    const int step = s.CurrentStep;
    const QString action = ActionOf(step);
    const double measT = NumericValue(m_ctx.test.Records().Field(step, StepField::MeasTime));
    m_ctx.displays.SetStepProgress(step + 1, action, SecondsSince(s.StepStartTime, s.TickTime),
                                   s.StepDwell);
    if (measT - 0.01 > s.TickTime - s.MeasureRefTime) {
        m_ctx.runTimer.start();  // no point due yet
        return true;
    }
    if (!m_ctx.measurement.TakeMeasurement(step)) {
        return true;  // Stop or Pause arrived during the point
    }
    if (const auto failure = m_ctx.points.LogPoint()) {
        FailRun(*failure);
        return false;
    }
    s.MeasureRefTime += measT;
    const int stopReason = EndChecks(action, step);
    if (s.CurrentStep >= m_ctx.test.TotalStepCount()) {
        return true;
    }
    const double elapsed = KeepFourDecimals(SecondsSince(s.StepStartTime, m_ctx.clock.TimeOfDay()));
    if (s.StepStartTime > kSecondsPerDay) {
        s.StepStartTime -= kSecondsPerDay;
    }
    if (action == Action::kCpCharge) {
        if (const auto failure = m_ctx.outputs.ProgramStepOutputs(step)) {
            FailRun(*failure);
            return false;
        }
    }
    if (Halted()) {
        return true;
    }
    if (elapsed + 0.05 >= s.StepDwell || stopReason > kNothing) {
        StepEnd(action);
    } else {
        ReArm();
    }
    return true;
}

int Sequencer::EndChecks(const QString& action, int stepIndex) const {
    const StepRecordArray& records = m_ctx.test.Records();
    const double stopValue = NumericValue(records.Field(stepIndex, StepField::StopValue));
    const double stopAh = NumericValue(records.Field(stepIndex, StepField::StopAH));
    const double voltage = m_ctx.displays.Value(Displays::VoltageText);
    const double current = m_ctx.displays.Value(Displays::CurrentText);
    const double ah = m_ctx.displays.Value(Displays::AHText);
    const bool ahReached = stopAh > 0 && ah >= stopAh;

    if (action == Action::kCharge || action == Action::kCpCharge) {
        if (stopValue > current) {
            return kStopValue;
        }
        return ahReached ? kStopAh : kNothing;
    }
    if (IsDischarge(action)) {
        if (ahReached) {
            return kStopAh;
        }
        const QString mode = records.Field(stepIndex, StepField::LoadModeVolt);
        if (mode == LoadMode::kCC || mode == LoadMode::kCR || mode == LoadMode::kCP) {
            return stopValue > voltage ? kStopValue : kNothing;
        }
        if (mode == LoadMode::kCV) {
            return stopValue > current ? kStopValue : kNothing;
        }
        return kNothing;
    }
    if (action == Action::kSuspend) {
        return stopValue > 0 && stopValue > voltage ? kStopValue : kNothing;
    }
    return kNothing;
}

void Sequencer::StepEnd(const QString& action) {
    RunState& s = m_ctx.state;
    if (IsDischarge(action) && !IsDischarge(ActionOf(s.CurrentStep + 1))) {
        m_ctx.channel.LoadOffFirstChannel();
    }
    // Whatever ended a timed step, the run goes on with the next step.
    s.TickTime = m_ctx.clock.TimeOfDay();
    s.StepStartTime = s.TickTime;
    Advance(true, kStepOver);
}

void Sequencer::EnterTimedStep() {
    RunState& s = m_ctx.state;
    if (ActionOf(s.CurrentStep) == Action::kPlusLoad) {
        // Run the pulse step as the advance does, then walk on from there.
        s.CurrentStep -= 1;
        Advance(false, kStepOver);
        return;
    }
    if (const auto failure = m_ctx.outputs.ProgramStepOutputs(s.CurrentStep)) {
        FailRun(*failure);
        return;
    }
    Arm();
}

void Sequencer::ResumeTimedStep() {
    RunState& s = m_ctx.state;
    if (ActionOf(s.CurrentStep) == Action::kPlusLoad) {
        EnterTimedStep();
        return;
    }
    if (const auto failure = m_ctx.outputs.ProgramStepOutputs(s.CurrentStep)) {
        FailRun(*failure);
        return;
    }
    if (s.InputOnAtPause && !m_ctx.channel.InputOn()) {
        m_ctx.channel.Write(Cmd::kLoadOn);
    }
    Arm();
}

void Sequencer::Advance(bool fromTop, int stopReason) {
    RunState& s = m_ctx.state;
    TestDocument& test = m_ctx.test;
    bool atTop = fromTop;
    for (;;) {
        if (atTop) {
            s.StepStartStamp = m_ctx.clock.Now();
            m_ctx.measurement.ClearIntegrals();
            if (s.StepDwell > 0) {
                test.Table().SetCell(s.CurrentStep + 1, StepColumn::DwellTime,
                                     NumberText(s.StepDwell));
            }
        }
        atTop = true;

        if (Halted()) {
            s.PendingAdvance = true;
            s.PendingStopReason = stopReason;
            return;
        }
        s.PendingAdvance = false;
        if (stopReason == kStopValue) {
            ApplyGoTo();
        } else {
            s.CurrentStep += 1;
        }
        const int total = test.TotalStepCount();
        if (s.CurrentStep < total) {
            s.StepDwell = KeepFourDecimals(
                NumericValue(test.Table().Cell(s.CurrentStep + 1, StepColumn::DwellTime)));
        }
        stopReason = kNothing;
        if (s.CurrentStep >= total) {
            ClearHighlight();
            m_control.FinishRun();
            return;
        }
        HighlightStep(s.CurrentStep);

        const QString action = ActionOf(s.CurrentStep);
        if (Action::IsLoopControl(action)) {
            s.CurrentStep = ApplyLoopRule(s.CurrentStep) - 1;
            continue;
        }
        // Ramps and load levels behave here as they do at the head of the
        // list: a ramp steps its level and ends, a load level switches the
        // input on at its level and is then timed (or ends at once).
        if (InlineSteps::IsInline(action)) {
            // Timed from its own entry, as Start times the steps it walks: a
            // load level's dwell starts now, not when the step before ended.
            RestartStepClock();
            const InlineSteps::Result result = m_inline.RunEnteredStep(s.CurrentStep);
            if (result == InlineSteps::Result::Halted) {
                s.PausedInStart = s.PauseRequested;
                return;
            }
            if (result == InlineSteps::Result::Timed) {
                ReArm();
                return;
            }
            // A ramp may have taken many seconds: the next step's dwell and
            // its measurement schedule start when it is over.
            RestartStepClock();
            continue;
        }
        if (action == Action::kPlusLoad) {
            if (const auto failure = m_ctx.outputs.ProgramStepOutputs(s.CurrentStep)) {
                FailRun(*failure);
                return;
            }
            stopReason = WaitForReceiveTimeOut(s.CurrentStep);
            if (Halted()) {
                s.PendingAdvance = true;
                s.PendingStopReason = stopReason;
                return;
            }
            if (const auto failure = m_ctx.points.LogPoint()) {
                FailRun(*failure);
                return;
            }
            if (!KeepsPulseLoad(ActionOf(s.CurrentStep + 1))) {
                m_ctx.channel.LoadOffFirstChannel();
            }
            s.StepStartStamp = m_ctx.clock.Now();
            const double now = m_ctx.clock.TimeOfDay();
            // The pulse train's time moves the measurement schedule with it.
            s.MeasureRefTime += now - s.StepStartTime;
            s.TickTime = m_ctx.clock.TimeOfDay();
            s.StepStartTime = s.TickTime;
            atTop = false;
            continue;
        }
        if (const auto failure = m_ctx.outputs.ProgramStepOutputs(s.CurrentStep)) {
            FailRun(*failure);
            return;
        }
        ReArm();
        return;
    }
}

int Sequencer::ApplyLoopRule(int stepIndex) {
    RunState& s = m_ctx.state;
    StepTable& table = m_ctx.test.Table();
    const QString action = ActionOf(stepIndex);
    const bool level2 = action == Action::kFor2 || action == Action::kLoop2;
    int& row = level2 ? s.For2Row : s.ForRow;
    int& count = level2 ? s.For2LoopCount : s.ForLoopCount;

    if (action == Action::kFor || action == Action::kFor2) {
        row = stepIndex + 1;
        count = RoundedInteger(NumericValue(table.Cell(row, StepColumn::LoopTimes)));
        table.SetHighlighted(row, false);
        if (m_highlightedRow == row) {
            m_highlightedRow = 0;
        }
        return stepIndex + 1;
    }
    if (row == 0) {
        return stepIndex + 1;  // a loop end with no loop entered
    }
    m_ctx.measurement.ClearIntegrals();
    const double remaining = NumericValue(table.Cell(row, StepColumn::LoopTimes));
    if (remaining > 1) {
        table.SetCell(row, StepColumn::LoopTimes, NumberText(remaining - 1));
        return row;  // the first step inside the loop
    }
    table.SetCell(row, StepColumn::LoopTimes, QString::number(count));
    return stepIndex + 1;
}

void Sequencer::ApplyGoTo() {
    RunState& s = m_ctx.state;
    StepTable& table = m_ctx.test.Table();
    const int total = m_ctx.test.TotalStepCount();
    const bool fromPulse = ActionOf(s.CurrentStep) == Action::kPlusLoad;
    const QString target = m_ctx.test.Records().Field(s.CurrentStep, StepField::GoToStep).toUpper();
    const auto find = [&](const QStringList& actions) {
        for (int j = s.CurrentStep + 1; j <= total; ++j) {
            if (actions.contains(ActionOf(j))) {
                return j;
            }
        }
        return -1;
    };
    const auto restore = [&](int row, int count) {
        table.SetCell(row, StepColumn::LoopTimes, QString::number(count));
    };
    const auto leavePulse = [&](int nextIndex) {
        if (fromPulse && !KeepsPulseLoad(ActionOf(nextIndex))) {
            m_ctx.channel.LoadOffFirstChannel();
        }
    };

    if (target == QLatin1String("NEXTSTEP")) {
        s.CurrentStep += 1;
    } else if (target == QLatin1String("ENDLOOP") || target == QLatin1String("ENDLOOP2")) {
        const bool level2 = target == QLatin1String("ENDLOOP2");
        const int j = find({level2 ? Action::kLoop2 : Action::kLoop});
        if (j >= 0) {
            leavePulse(j + 1);
            s.CurrentStep = j + 1;
            if (!level2) {
                restore(s.ForRow, s.ForLoopCount);
            }
            if (s.For2Row >= 1) {
                restore(s.For2Row, s.For2LoopCount);
            }
        }
    } else if (target == QLatin1String("CONTINUE")) {
        const int j = find({Action::kLoop, Action::kLoop2});
        if (j >= 0) {
            s.CurrentStep = j;
        }
    } else {
        const int n = RoundedInteger(NumericValue(target));
        if (NumericValue(target) > 0 && n > 0) {
            // Loops passed over on the way forward are left with full counts.
            for (int j = s.CurrentStep; j <= n - 1; ++j) {
                const QString action = ActionOf(j);
                if (action == Action::kLoop) {
                    restore(s.ForRow, s.ForLoopCount);
                } else if (action == Action::kLoop2) {
                    restore(s.For2Row, s.For2LoopCount);
                } else if (action == Action::kFor) {
                    s.ForLoopCount =
                        RoundedInteger(NumericValue(table.Cell(s.ForRow, StepColumn::LoopTimes)));
                } else if (action == Action::kFor2) {
                    s.For2LoopCount =
                        RoundedInteger(NumericValue(table.Cell(s.For2Row, StepColumn::LoopTimes)));
                }
            }
            leavePulse(n - 1);
            s.CurrentStep = n - 1;
        }
    }
}

int Sequencer::WaitForReceiveTimeOut(int stepIndex) {
    const StepRecordArray& records = m_ctx.test.Records();
    const auto value = [&](StepField f) { return NumericValue(records.Field(stepIndex, f)); };
    // The whole pulse train plus a second of margin.
    const double seconds = (value(StepField::StopAH) + 1) *
                               (value(StepField::StopTime) + value(StepField::StopValue)) / 1000.0 +
                           1.0;
    const PulseReply result = ParsePulseReply(m_ctx.channel.ReadTimed(seconds));
    m_ctx.displays.Set(Displays::VoltageText, result.voltage);
    m_ctx.displays.Set(Displays::CurrentText, result.current);
    m_ctx.displays.Set(Displays::PowerText, result.power);
    return result.code;
}

void Sequencer::RestartStepClock() {
    RunState& s = m_ctx.state;
    s.TickTime = m_ctx.clock.TimeOfDay();
    s.StepStartTime = KeepFourDecimals(s.TickTime);
    s.MeasureRefTime = s.StepStartTime;
}

void Sequencer::Arm() {
    if (Halted()) {
        return;  // a Stop or Pause arrived while the step was being set up
    }
    m_ctx.runTimer.start(kFallbackIntervalMs);
}

void Sequencer::ReArm() {
    if (Halted()) {
        return;
    }
    const RunState& s = m_ctx.state;
    const double t = m_ctx.clock.TimeOfDay();
    double x = t - s.MeasureRefTime;
    if (t < s.TickTime) {
        x = t + kSecondsPerDay - s.MeasureRefTime;  // midnight passed during this tick
    }
    const double rem = KeepFourDecimals(m_ctx.test.Options().measureTime - x);
    const int interval =
        (x >= 0 && rem > 0.01) ? static_cast<int>(std::lround(rem * 1000.0)) : kFallbackIntervalMs;
    m_ctx.runTimer.start(interval);
}

void Sequencer::HighlightStep(int stepIndex) {
    StepTable& table = m_ctx.test.Table();
    const int row = stepIndex + 1;
    if (m_highlightedRow != 0 && m_highlightedRow != row) {
        table.SetHighlighted(m_highlightedRow, false);
    }
    table.SetHighlighted(row, true);
    table.SetCurrentRow(row);
    m_highlightedRow = row;
    emit m_control.stepEntered(row);
}

void Sequencer::ClearHighlight() {
    if (m_highlightedRow != 0) {
        m_ctx.test.Table().SetHighlighted(m_highlightedRow, false);
        m_highlightedRow = 0;
    }
}

void Sequencer::FailRun(const QString& reason) {
    m_ctx.runTimer.stop();
    m_control.StopWithError(reason);
}
