#include "OutputProgrammer.h"

#include "ActionCatalogue.h"
#include "Clock.h"
#include "Commands.h"
#include "EventWait.h"
#include "NumberText.h"
#include "RunChannel.h"
#include "StepRecord.h"

namespace {
// Waits longer than this let events run; shorter ones are spun.
constexpr double kSpinOnlyMs = 50.0;
constexpr double kSpinTailMs = 3.0;
}  // namespace

void PacedWait(const Clock& clock, double ms, const std::function<bool()>& halted) {
    if (!(ms > 0)) {
        return;
    }
    const qint64 start = clock.ReadCounter();
    if (ms > kSpinOnlyMs && !WaitWithEventsUnless(ms - kSpinTailMs, halted)) {
        return;
    }
    clock.Delay(ms - clock.ElapsedMs(start));
}

OutputProgrammer::OutputProgrammer(RunChannel& channel, const StepRecordArray& records,
                                   const Clock& clock, std::function<int()> loadCount,
                                   std::function<bool()> halted)
    : m_channel(channel),
      m_records(records),
      m_clock(clock),
      m_loadCount(std::move(loadCount)),
      m_halted(std::move(halted)) {}

void OutputProgrammer::PacedWait(double ms) {
    ::PacedWait(m_clock, ms, m_halted);
}

std::optional<QString> OutputProgrammer::ProgramStepOutputs(int stepIndex) {
    const QString action = m_records.Field(stepIndex, StepField::ActionMode);
    if (Action::IsDischarge(action)) {
        if (m_loadCount() > 0) {
            ProgramDischarge(stepIndex);
        }
        return std::nullopt;
    }
    if (action == Action::kPlusLoad) {
        return ProgramPulse(stepIndex);
    }
    if (action == Action::kLoadLevel) {
        ProgramLoadLevel(stepIndex);
    }
    // Charge, rest, ramp and loop steps send nothing: the system drives no
    // power supply, and ramps are paced by Start.
    return std::nullopt;
}

double OutputProgrammer::SharedValue(const Cmd::ModeCommands& mode, double value) const {
    const int loads = m_loadCount();
    return mode.scalesWithLoads ? value * loads : value / loads;
}

void OutputProgrammer::ProgramDischarge(int stepIndex) {
    const auto mode = Cmd::ForMode(m_records.Field(stepIndex, StepField::LoadModeVolt), false);
    const double value = NumericValue(m_records.Field(stepIndex, StepField::CurrentValue));
    if (m_channel.TickedAndConnected()) {
        if (mode) {
            m_channel.Write(Cmd::WithValue(mode->levelHeader, SharedValue(*mode, value)));
            m_channel.Write(mode->modeCommand);
        }
        m_channel.Write(Cmd::kLoadOn);
    }
    const double stable = NumericValue(m_records.Field(stepIndex, StepField::StableTime));
    if (stable > 0) {
        PacedWait(stable * 1000.0);
    }
}

std::optional<QString> OutputProgrammer::ProgramPulse(int stepIndex) {
    m_pulseStartCount = m_clock.ReadCounter();
    const auto value = [&](StepField f) { return NumericValue(m_records.Field(stepIndex, f)); };
    const QString setupText = m_records.Field(stepIndex, StepField::MeasTime);
    double setupMs = 0;
    if (!StrictNumber(setupText, &setupMs)) {
        return QStringLiteral("the PlusLoad setup time \"%1\" is not a number").arg(setupText);
    }
    if (m_channel.Connected()) {
        m_channel.Write(Cmd::WithValue(Cmd::kCcpHigh, value(StepField::LoadModeVolt)));
        m_channel.Write(Cmd::WithValue(Cmd::kCcB, value(StepField::CurrentValue)));
        m_channel.Write(Cmd::WithValue(Cmd::kPeriodHigh, value(StepField::StopTime)));
        m_channel.Write(Cmd::WithValue(Cmd::kPeriodLow, value(StepField::StopValue)));
        // The stop voltage (Stable(s)) has no command of its own on the load;
        // a bare number would be a protocol error, so it is not sent.
        m_channel.Write(Cmd::WithValue(Cmd::kCount, value(StepField::StopAH)));
    }
    // The setup time counts from the step's entry, less the load's own 100 ms.
    PacedWait(setupMs - m_clock.ElapsedMs(m_pulseStartCount) - 100.0);
    if (m_channel.Connected()) {
        m_channel.Write(Cmd::kDynamicOn);
    }
    return std::nullopt;
}

void OutputProgrammer::ProgramLoadLevel(int stepIndex) {
    const QString modeName = m_records.Field(stepIndex, StepField::LoadModeVolt);
    const auto mode = Cmd::ForMode(modeName, true);
    if (!m_channel.TickedAndConnected() || !mode) {
        return;
    }
    const auto field = [&](StepField f) { return NumericValue(m_records.Field(stepIndex, f)); };
    m_channel.Write(
        Cmd::WithValue(mode->levelHeader, SharedValue(*mode, field(StepField::CurrentValue))));
    if (modeName == LoadMode::kCC) {
        m_channel.Write(Cmd::WithValue(Cmd::kFrequency, field(StepField::Frequency)));
        m_channel.Write(Cmd::WithValue(Cmd::kCrestFactor, field(StepField::CF)));
        m_channel.Write(Cmd::WithValue(Cmd::kPowerFactor, field(StepField::PF)));
    }
    m_channel.Write(mode->modeCommand);
}
