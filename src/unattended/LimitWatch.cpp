#include "LimitWatch.h"

#include "NumberText.h"

namespace {
// Values as the operator reads them: four decimals at most, no trailing zeros.
QString Shown(double value) {
    return NumberText(KeepFourDecimals(value));
}

LimitTrip Trip(const QString& quantity, double value, double limit, const QString& unit, int step,
               SafetyLimits::Action action) {
    LimitTrip trip;
    trip.message = QStringLiteral("Safety limit: %1 %2 %3 beyond %4 %3 at step %5.")
                       .arg(quantity, Shown(value), unit, Shown(limit))
                       .arg(step);
    trip.pause = action == SafetyLimits::Action::Pause;
    return trip;
}
}  // namespace

std::optional<LimitTrip> LimitWatch::Check(const Reading& reading) const {
    const SafetyLimits& l = m_limits;
    const auto trip = [&](const QString& quantity, double value, double limit,
                          const QString& unit) {
        return Trip(quantity, value, limit, unit, reading.step, l.action);
    };
    const QString volt = QStringLiteral("V");
    for (const Reading::Voltage& v : reading.voltages) {
        const QString quantity = v.phase.isEmpty()
                                     ? QStringLiteral("voltage")
                                     : QStringLiteral("phase %1 voltage").arg(v.phase);
        if (l.minVoltage && v.volts < *l.minVoltage) {
            return trip(quantity, v.volts, *l.minVoltage, volt);
        }
        if (l.maxVoltage && v.volts > *l.maxVoltage) {
            return trip(quantity, v.volts, *l.maxVoltage, volt);
        }
    }
    if (l.maxCurrent && reading.current && *reading.current > *l.maxCurrent) {
        return trip(QStringLiteral("current"), *reading.current, *l.maxCurrent,
                    QStringLiteral("A"));
    }
    if (l.maxPower && reading.power && *reading.power > *l.maxPower) {
        return trip(QStringLiteral("power"), *reading.power, *l.maxPower, QStringLiteral("W"));
    }
    if (l.maxTestTime && reading.testSeconds > *l.maxTestTime) {
        return trip(QStringLiteral("test time"), reading.testSeconds, *l.maxTestTime,
                    QStringLiteral("s"));
    }
    return std::nullopt;
}
