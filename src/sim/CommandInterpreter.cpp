#include "CommandInterpreter.h"

#include <algorithm>
#include <cmath>

#include "Commands.h"
#include "NumberText.h"

namespace {
// Phases B and C read a few millivolts apart so that a log shows which
// column is which.
constexpr std::array<double, 3> kPhaseOffsetV = {0.0, 0.002, 0.004};
constexpr int kPhaseCount = 3;
// A pulse train is never reported sooner than this.
constexpr double kMinPulseMs = 5.0;
// Each integration step takes at most this share of the capacity, so that a
// long gap between queries at a large time scale follows the voltage curve.
constexpr double kStepShareOfCapacity = 0.001;
constexpr int kMaxSteps = 100000;

QByteArray ReplyNumber(double value) {
    return NumberText(KeepFourDecimals(value)).toLatin1();
}

// Three phase values and the total in the fourth field.
QByteArray PhaseReply(const std::array<double, 3>& values, double total) {
    QByteArray reply;
    for (double value : values) {
        reply += ReplyNumber(value) + ',';
    }
    return reply + ReplyNumber(total) + '\n';
}

double Sum(const std::array<double, 3>& values) {
    return values[0] + values[1] + values[2];
}
}  // namespace

CommandInterpreter::CommandInterpreter(const SimOptions& options, double now)
    : m_battery(options),
      m_timeScale(options.timeScale > 0.0 ? options.timeScale : 1.0),
      m_pulseFailVoltage(options.pulseFailVoltage),
      m_pulseNgLeft(std::max(0, options.pulseNgCount)),
      m_lastUpdate(now) {
    BuildSetters();
}

void CommandInterpreter::BuildSetters() {
    LoadSettings& s = m_settings;
    auto levelA = [&s](RegulationMode mode) {
        return [&s, mode](double v) { s.LevelA(mode) = v; };
    };
    auto levelB = [&s](RegulationMode mode) {
        return [&s, mode](double v) { s.LevelB(mode) = v; };
    };
    m_setters = {
        {Cmd::kCcA, levelA(RegulationMode::kCc)},
        {Cmd::kCcB, levelB(RegulationMode::kCc)},
        {Cmd::kCrA, levelA(RegulationMode::kCr)},
        {Cmd::kCrB, levelB(RegulationMode::kCr)},
        {Cmd::kCvA, levelA(RegulationMode::kCv)},
        {Cmd::kCvB, levelB(RegulationMode::kCv)},
        {Cmd::kCpA, levelA(RegulationMode::kCp)},
        {Cmd::kCpB, levelB(RegulationMode::kCp)},
        {Cmd::kLinA, levelA(RegulationMode::kLin)},
        {Cmd::kLinB, levelB(RegulationMode::kLin)},
        {Cmd::kCcpHigh, [&s](double v) { s.pulseHighCurrent = v; }},
        {Cmd::kPeriodHigh, [&s](double v) { s.pulseHighMs = v; }},
        {Cmd::kPeriodLow, [&s](double v) { s.pulseLowMs = v; }},
        {Cmd::kCount, [&s](double v) { s.pulseCount = v; }},
        {Cmd::kFrequency, [&s](double v) { s.frequency = v; }},
        {Cmd::kCrestFactor, [&s](double v) { s.crestFactor = v; }},
        {Cmd::kPowerFactor, [&s](double v) { s.powerFactor = v; }},
        {Cmd::kLoadOnVoltage, [&s](double v) { s.loadOnVoltage = v; }},
    };
}

CommandOutcome CommandInterpreter::Execute(const QString& line, double now) {
    Advance(now);
    CommandOutcome outcome;
    if (auto reply = Answer(line, now)) {
        outcome.understood = true;
        outcome.reply = std::move(reply);
    } else {
        outcome.understood = ApplySetting(line) || ApplySwitch(line, now, &outcome);
    }
    return outcome;
}

bool CommandInterpreter::ApplySetting(const QString& line) {
    for (const auto& [header, set] : m_setters) {
        if (!line.startsWith(header)) {
            continue;
        }
        double value = 0.0;
        if (!StrictNumber(line.mid(header.size()), &value) || !std::isfinite(value)) {
            return false;
        }
        set(value);
        return true;
    }
    return false;
}

bool CommandInterpreter::ApplySwitch(const QString& line, double now, CommandOutcome* outcome) {
    static const std::array<std::pair<QString, RegulationMode>, LoadSettings::kModeCount> kModes = {
        {
            {Cmd::kModeCC, RegulationMode::kCc},
            {Cmd::kModeCR, RegulationMode::kCr},
            {Cmd::kModeCV, RegulationMode::kCv},
            {Cmd::kModeCP, RegulationMode::kCp},
            {Cmd::kModeLin, RegulationMode::kLin},
        }};
    for (const auto& [text, mode] : kModes) {
        if (line == text) {
            m_settings.mode = mode;
            return true;
        }
    }
    if (line == Cmd::kLoadOn) {
        m_settings.inputOn = true;
    } else if (line == Cmd::kLoadOff) {
        // Switching off also ends a pulse train early; it then has no result.
        m_settings.inputOn = false;
        m_pulse.reset();
    } else if (line == Cmd::kDynamicOn) {
        StartPulse(now);
        outcome->pulseStarted = true;
    } else if (line == Cmd::kCcAuto) {
        m_settings.autoRange = true;
    } else if (line == Cmd::kRemoteGpib || line == Cmd::kRemoteSerial) {
        m_settings.remote = true;
    } else {
        return false;
    }
    return true;
}

std::optional<QByteArray> CommandInterpreter::Answer(const QString& line, double now) const {
    if (line == Cmd::kProbeVoltage) {
        return ReplyNumber(Measure(now).voltage[0]) + '\n';
    }
    if (line == Cmd::kPhaseVoltages) {
        const PhaseValues values = Measure(now);
        return PhaseReply(values.voltage, Sum(values.voltage) / kPhaseCount);
    }
    if (line == Cmd::kPhaseCurrents) {
        const PhaseValues values = Measure(now);
        return PhaseReply(values.current, Sum(values.current));
    }
    if (line == Cmd::kPhasePowers) {
        const PhaseValues values = Measure(now);
        return PhaseReply(values.power, Sum(values.power));
    }
    return std::nullopt;
}

std::optional<double> CommandInterpreter::PulseEndsAt() const {
    if (!m_pulse) {
        return std::nullopt;
    }
    return m_pulse->end;
}

std::optional<QByteArray> CommandInterpreter::TakePulseResult(double now) {
    Advance(now);
    return std::exchange(m_pulseResult, std::nullopt);
}

bool CommandInterpreter::InputOn(double now) {
    Advance(now);
    return m_settings.inputOn || m_pulse.has_value();
}

double CommandInterpreter::ChargeDrawnAh(double now) {
    Advance(now);
    return m_battery.ChargeDrawnAh();
}

void CommandInterpreter::Advance(double now) {
    if (!(now > m_lastUpdate)) {
        return;
    }
    if (m_pulse) {
        const double until = std::min(now, m_pulse->end);
        Discharge([this] { return PulseAverageCurrent(); }, until - m_lastUpdate);
        m_lastUpdate = std::max(m_lastUpdate, until);
        if (now >= m_pulse->end) {
            FinishPulse();
        }
    }
    Discharge([this] { return SteadyCurrent(); }, now - m_lastUpdate);
    m_lastUpdate = now;
}

void CommandInterpreter::Discharge(const std::function<double()>& current, double realSeconds) {
    double hoursLeft = realSeconds * m_timeScale / 3600.0;
    for (int step = 0; hoursLeft > 0.0; ++step) {
        const double amps = current();
        if (!(amps > 0.0)) {
            return;
        }
        double hours = hoursLeft;
        if (step < kMaxSteps) {
            hours = std::min(hours, kStepShareOfCapacity * m_battery.CapacityAh() / amps);
        }
        m_battery.Draw(amps, hours);
        hoursLeft -= hours;
    }
}

double CommandInterpreter::SteadyCurrent() const {
    if (!m_settings.inputOn || m_battery.OpenCircuitVoltage() < m_settings.loadOnVoltage) {
        return 0.0;
    }
    const RegulationMode mode = m_settings.mode;
    return m_battery.CurrentFor(mode, m_settings.LevelA(mode));
}

double CommandInterpreter::PulseHighCurrent() const {
    return m_battery.CurrentFor(RegulationMode::kCc, m_settings.pulseHighCurrent);
}

double CommandInterpreter::PulseLowCurrent() const {
    return m_battery.CurrentFor(RegulationMode::kCc, m_settings.LevelB(RegulationMode::kCc));
}

double CommandInterpreter::PulseAverageCurrent() const {
    const double high = std::max(0.0, m_settings.pulseHighMs);
    const double low = std::max(0.0, m_settings.pulseLowMs);
    if (high + low <= 0.0) {
        return PulseHighCurrent();
    }
    return (PulseHighCurrent() * high + PulseLowCurrent() * low) / (high + low);
}

double CommandInterpreter::PresentCurrent(double now) const {
    if (!m_pulse) {
        return SteadyCurrent();
    }
    const double high = std::max(0.0, m_settings.pulseHighMs);
    const double period = high + std::max(0.0, m_settings.pulseLowMs);
    if (period <= 0.0) {
        return PulseHighCurrent();
    }
    const double intoPeriodMs = std::fmod((now - m_pulse->start) * 1000.0, period);
    return intoPeriodMs < high ? PulseHighCurrent() : PulseLowCurrent();
}

CommandInterpreter::PhaseValues CommandInterpreter::Measure(double now) const {
    const double total = PresentCurrent(now);
    const double terminal = m_battery.TerminalVoltage(total);
    PhaseValues values;
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        values.voltage[phase] = terminal + kPhaseOffsetV[phase];
        values.current[phase] = total / kPhaseCount;
        values.power[phase] = values.voltage[phase] * values.current[phase];
    }
    return values;
}

void CommandInterpreter::StartPulse(double now) {
    const double cycles = std::max(0.0, std::round(m_settings.pulseCount));
    const double periodMs =
        std::max(0.0, m_settings.pulseHighMs) + std::max(0.0, m_settings.pulseLowMs);
    const double lengthMs = std::max(kMinPulseMs, cycles * periodMs);
    m_pulse = PulseTrain{now, now + lengthMs / 1000.0};
    m_pulseResult.reset();
}

void CommandInterpreter::FinishPulse() {
    const double current = PulseHighCurrent();
    const double voltage = m_battery.TerminalVoltage(current);
    bool failed = voltage < m_pulseFailVoltage;
    if (m_pulseNgLeft > 0) {
        --m_pulseNgLeft;
        failed = true;
    }
    const QByteArray verdict = failed ? "NG" : "OK";
    m_pulseResult = verdict + ',' + ReplyNumber(voltage) + ',' + ReplyNumber(current) + '\n';
    m_pulse.reset();
    // The train leaves the input off: nothing is drawn after it.
    m_settings.inputOn = false;
}
