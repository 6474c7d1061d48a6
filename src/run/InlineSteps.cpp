#include "InlineSteps.h"

#include "ActionCatalogue.h"
#include "Clock.h"
#include "Commands.h"
#include "EventWait.h"
#include "Measurement.h"
#include "NumberText.h"
#include "OutputProgrammer.h"
#include "PointLog.h"
#include "ReadingGuard.h"
#include "RunChannel.h"
#include "RunState.h"
#include "TestFile.h"

namespace {
// Ramps pace themselves this much early, for the time a pass takes.
constexpr double kPassOverheadMs = 16;

// A step value with a decimal comma read as a point.
double LevelValue(const QString& text) {
    return NumericValue(QString(text).replace(QLatin1Char(','), QLatin1Char('.')));
}
}  // namespace

InlineSteps::InlineSteps(RunContext& context, std::function<void(const QString&)> fail)
    : m_ctx(context), m_fail(std::move(fail)) {}

bool InlineSteps::Halted() const {
    return m_ctx.state.Halted();
}

bool InlineSteps::TakePoint() {
    if (!m_ctx.state.NoSaveLog) {
        if (!m_ctx.measurement.MeasurePoint()) {
            return false;
        }
        m_ctx.guard.CheckPoint(m_ctx.measurement.LastReading());
    }
    ProcessPendingEvents();
    if (Halted()) {
        return false;
    }
    if (!m_ctx.state.NoSaveLog) {
        if (const auto failure = m_ctx.points.LogPoint()) {
            m_fail(*failure);
            return false;
        }
    }
    // A reading beyond a safety limit ends the step here; the walker reports it.
    return !m_ctx.guard.Tripped();
}

bool InlineSteps::RunRamp(int stepIndex) {
    const StepRecordArray& records = m_ctx.test.Records();
    const QString action = records.Field(stepIndex, StepField::ActionMode);
    const QString mode = records.Field(stepIndex, StepField::LoadModeVolt);
    const double target = NumericValue(records.Field(stepIndex, StepField::CurrentValue));
    const double dwell = NumericValue(records.Field(stepIndex, StepField::StopTime));
    const auto send = [&](double level) {
        if (const auto commands = Cmd::ForMode(mode, false)) {
            m_ctx.channel.Write(Cmd::WithValue(commands->levelHeader, level));
        }
    };

    if (dwell == 0) {
        send(target);
        m_ctx.channel.Write(Cmd::kLoadOn);
        return TakePoint();
    }

    double measT = NumericValue(records.Field(stepIndex, StepField::MeasTime));
    if (measT <= 0) {
        measT = 1;  // a ramp needs a pace; without one it would flood the load
    }
    const int wholeSeconds = RoundedInteger(dwell);
    const double passes = wholeSeconds / measT;
    const bool rising = action == Action::kRampOn;
    // A ramp at the head of the list starts from 0.
    const double start =
        stepIndex > 0 ? NumericValue(records.Field(stepIndex - 1, StepField::CurrentValue)) : 0.0;
    const double delta = (target - start) / passes;
    if (!rising) {
        send(target);
    }

    const qint64 first = m_ctx.clock.ReadCounter();
    qint64 last = first;
    double level = start;
    const auto halted = [this] { return Halted(); };
    for (int pass = 1; pass <= passes; ++pass) {
        const double sinceStart = static_cast<double>(last - first) * 1000.0 /
                                  static_cast<double>(m_ctx.clock.CounterFrequency());
        if (sinceStart >= dwell * 1000.0) {
            break;
        }
        if (rising) {
            level += delta;
            send(level);
        }
        if (!TakePoint()) {
            return false;
        }
        PacedWait(m_ctx.clock, measT * 1000.0 - m_ctx.clock.ElapsedMs(last) - kPassOverheadMs,
                  halted);
        if (Halted()) {
            return false;
        }
        last = m_ctx.clock.ReadCounter();
    }
    return true;
}

void InlineSteps::SendLevel(const QString& mode, double level) {
    if (const auto commands = Cmd::ForMode(mode, true)) {
        m_ctx.channel.Write(commands->modeCommand);
        m_ctx.channel.Write(Cmd::WithValue(commands->levelHeader, level));
    }
}

InlineSteps::Result InlineSteps::RunEnteredStep(int stepIndex) {
    const StepRecordArray& records = m_ctx.test.Records();
    const QString action = records.Field(stepIndex, StepField::ActionMode);
    if (action == Action::kRampOn || action == Action::kRampOff) {
        return RunRamp(stepIndex) ? Result::Done : Result::Halted;
    }
    const bool withDwell = NumericValue(records.Field(stepIndex, StepField::StopTime)) != 0;
    if (!RunLevel(stepIndex, withDwell)) {
        return Result::Halted;
    }
    return withDwell ? Result::Timed : Result::Done;
}

bool InlineSteps::IsInline(const QString& action) {
    return action == Action::kRampOn || action == Action::kRampOff || action == Action::kLoadLevel;
}

bool InlineSteps::RunLevel(int stepIndex, bool withDwell) {
    const StepRecordArray& records = m_ctx.test.Records();
    const QString mode = records.Field(stepIndex, StepField::LoadModeVolt);
    const double value = LevelValue(records.Field(stepIndex, StepField::CurrentValue));
    if (!withDwell && mode == LoadMode::kCR) {
        // A level without dwell sets the second resistance level.
        m_ctx.channel.Write(Cmd::kModeCR);
        m_ctx.channel.Write(Cmd::WithValue(Cmd::kCrB, value));
    } else {
        SendLevel(mode, value);
    }
    if (withDwell && mode == LoadMode::kCC) {
        const auto field = [&](StepField f) { return LevelValue(records.Field(stepIndex, f)); };
        m_ctx.channel.Write(Cmd::WithValue(Cmd::kFrequency, field(StepField::Frequency)));
        m_ctx.channel.Write(Cmd::WithValue(Cmd::kCrestFactor, field(StepField::CF)));
        m_ctx.channel.Write(Cmd::WithValue(Cmd::kPowerFactor, field(StepField::PF)));
    }
    m_ctx.channel.Write(Cmd::kLoadOn);
    return TakePoint();
}
