#include "Measurement.h"

#include <utility>

#include "Clock.h"
#include "Commands.h"
#include "Displays.h"
#include "LinkResult.h"
#include "NumberText.h"
#include "PhaseGrid.h"
#include "RunChannel.h"
#include "RunState.h"
#include "StepTable.h"

namespace {
const QString kErr = QStringLiteral("Err");
constexpr int kVoltageColumn = 1;
constexpr int kCurrentColumn = 2;
constexpr int kPowerColumn = 3;

QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}
}  // namespace

Measurement::Measurement(RunChannel& channel, const StepTable& steps, PhaseGrid& phases,
                         Displays& displays, RunState& state, const Clock& clock)
    : m_channel(channel),
      m_steps(steps),
      m_phases(phases),
      m_displays(displays),
      m_state(state),
      m_clock(clock) {}

bool Measurement::MeasurePoint(const std::function<void()>& whileTheLoadAnswers) {
    for (auto& column : m_fresh) {
        column.fill(std::nullopt);
    }
    ShowLoopCounts();
    m_tally = Tally();
    const QDeadlineTimer deadline(kPointBudgetMs);
    const PhaseValues voltages =
        QueryPhases(Cmd::kPhaseVoltages, kVoltageColumn, deadline, whileTheLoadAnswers);
    const PhaseValues currents = QueryPhases(Cmd::kPhaseCurrents, kCurrentColumn, deadline);
    const PhaseValues powers = QueryPhases(Cmd::kPhasePowers, kPowerColumn, deadline);
    m_fresh = {voltages, currents, powers};
    if (m_channel.Halted()) {
        return false;
    }
    UpdateSummary(voltages, currents, powers);
    if (m_tally.number || !m_channel.Connected()) {
        m_state.MissedPoints = 0;
        return true;
    }
    return CountMissedPoint();
}

bool Measurement::CountMissedPoint() {
    m_state.MissedPoints += 1;
    if (m_state.MissedPoints < m_state.MaxMissedPoints) {
        return true;
    }
    const QString what = m_tally.replied
                             ? QStringLiteral(
                                   "no number in the replies to %1 measurement points "
                                   "in a row")
                             : QStringLiteral("no reply to %1 measurement points in a row");
    m_channel.DeclareLost(what.arg(m_state.MissedPoints));
    return !m_channel.Halted();
}

void Measurement::ShowLoopCounts() {
    const auto loopText = [this](int row) {
        return row != 0 ? m_steps.Cell(row, StepColumn::LoopTimes) : QString();
    };
    m_displays.Set(Displays::Loop1Count, loopText(m_state.ForRow));
    m_displays.Set(Displays::Loop2Count, loopText(m_state.For2Row));
}

PhaseValues Measurement::QueryPhases(const QString& query, int column,
                                     const QDeadlineTimer& deadline,
                                     const std::function<void()>& whileTheLoadAnswers) {
    PhaseValues values;
    if (!m_channel.Connected() || m_channel.Halted()) {
        return values;
    }
    std::function<void()> notYetRun = whileTheLoadAnswers;  // once, at the first ask
    const auto ask = [&] {
        const LinkResult reply = m_channel.Query(query, deadline, std::exchange(notYetRun, {}));
        m_tally.replied = m_tally.replied || reply.Ok();
        return Cmd::SplitPhases(RunChannel::Shown(reply));
    };
    const auto fill = [&](int phase, const QString& text) {
        m_phases.SetCell(phase, column, text);
        double value = 0;
        if (StrictNumber(text, &value)) {
            values[phase - 1] = value;
            m_tally.number = true;
        }
    };
    QStringList fields = ask();
    if (fields.size() < 2) {
        if (m_channel.Halted()) {
            return values;
        }
        fields = ask();
    }
    const int n = fields.size();
    if (n >= 2) {
        // A phase is filled only when a further field follows it; the load
        // ends its reply with a total.
        for (int phase = 1; phase <= 3 && phase < n; ++phase) {
            fill(phase, fields[phase - 1]);
        }
    } else if (n == 1) {
        fill(1, fields[0]);
        for (int phase = 2; phase <= 3; ++phase) {
            m_phases.SetCell(phase, column, kErr);
            m_phases.SetGrey(phase, column);
            if (column == kVoltageColumn) {
                m_phases.SetGrey(phase, 0);
            }
        }
    } else {
        for (int phase = 1; phase <= 3; ++phase) {
            m_phases.SetCell(phase, column, kErr);
        }
    }
    return values;
}

Reading Measurement::LastReading() const {
    Reading reading;
    const auto& voltages = m_fresh[kVoltageColumn - 1];
    for (int phase = 0; phase < 3; ++phase) {
        if (voltages[static_cast<size_t>(phase)]) {
            reading.voltages.push_back(
                {QString(QChar('A' + phase)), *voltages[static_cast<size_t>(phase)]});
        }
    }
    const auto total = [](const PhaseValues& phases) {
        std::optional<double> sum;
        for (const auto& value : phases) {
            if (value) {
                sum = sum.value_or(0.0) + *value;
            }
        }
        return sum;
    };
    reading.current = total(m_fresh[kCurrentColumn - 1]);
    reading.power = total(m_fresh[kPowerColumn - 1]);
    return reading;
}

void Measurement::ClearIntegrals() {
    m_displays.Set(Displays::AmpHours, QStringLiteral("0.00000000"));
    m_displays.Set(Displays::KilowattHours, QStringLiteral("0.00000000"));
    m_state.LastPointCounter = m_clock.ReadCounter();
}

void Measurement::ClearTestTotals() {
    ClearIntegrals();
    RestoreIntegrals(0, 0, 0, 0);
}

void Measurement::RestoreIntegrals(double stepAh, double stepKwh, double testAh, double testWh) {
    m_displays.Set(Displays::AmpHours, Fixed(stepAh, 8));
    m_displays.Set(Displays::KilowattHours, Fixed(stepKwh, 8));
    m_displays.Set(Displays::TestAmpHours, Fixed(testAh, 8));
    m_displays.Set(Displays::TestWattHours, Fixed(testWh, 6));
    m_state.LastPointCounter = m_clock.ReadCounter();
}

void Measurement::UpdateSummary(const PhaseValues& voltages, const PhaseValues& currents,
                                const PhaseValues& powers) {
    // Only what this point's replies brought counts: a grid cell the reply
    // left alone holds an older reading.
    double voltageSum = 0;
    int voltageCount = 0;
    double current = 0;
    double power = 0;
    bool anyCurrent = false;
    bool anyPower = false;
    for (int phase = 0; phase < 3; ++phase) {
        if (voltages[phase]) {
            voltageSum += *voltages[phase];
            ++voltageCount;
        }
        if (currents[phase]) {
            current += *currents[phase];
            anyCurrent = true;
        }
        if (powers[phase]) {
            power += *powers[phase];
            anyPower = true;
        }
    }
    // A point without any reading leaves the boxes as they were, so that a
    // missed reply does not look like an empty battery.
    if (voltageCount > 0) {
        m_displays.Set(Displays::Voltage, Fixed(voltageSum / voltageCount, 4));
    }
    if (anyCurrent) {
        m_displays.Set(Displays::Current, Fixed(current, 4));
    }
    if (anyPower) {
        m_displays.Set(Displays::Power, Fixed(power, 4));
    }

    const qint64 now = m_clock.ReadCounter();
    const double hours = m_clock.ElapsedMs(m_state.LastPointCounter) / 3600000.0;
    m_state.LastPointCounter = now;
    const auto add = [this](Displays::Text id, double amount, int decimals) {
        m_displays.Set(id, Fixed(m_displays.Value(id) + amount, decimals));
    };
    if (anyCurrent) {
        add(Displays::AmpHours, current * hours, 8);
        add(Displays::TestAmpHours, current * hours, 8);
    }
    if (anyPower) {
        add(Displays::KilowattHours, power * hours / 1000.0, 8);
        add(Displays::TestWattHours, power * hours, 6);
    }
}
