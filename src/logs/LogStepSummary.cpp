#include "LogStepSummary.h"

#include <algorithm>

namespace {
constexpr double kSecondsPerHour = 3600;
}  // namespace

double MeanPhaseVoltage(const LoggedPoint& point) {
    double sum = 0;
    int phases = 0;
    for (double v : point.voltage) {
        if (v != 0) {
            sum += v;
            ++phases;
        }
    }
    return phases > 0 ? sum / phases : 0;
}

void LogStepSummary::Add(const LoggedPoint& point) {
    if (m_stretches.isEmpty() || m_stretches.back().step != point.step ||
        m_stretches.back().loop1 != point.loop1) {
        StepStretch stretch;
        stretch.step = point.step;
        stretch.pass = ++m_passes[point.step];
        stretch.loop1 = point.loop1;
        stretch.stepMode = point.stepMode;
        stretch.startTimeOfDay = point.timeOfDay;
        stretch.start = m_lastSeconds;
        m_stretches.push_back(stretch);
    }
    StepStretch& stretch = m_stretches.back();
    // A clock set back during the run must not take charge away.
    const double hours = std::max(0.0, point.seconds - m_lastSeconds) / kSecondsPerHour;
    double current = 0;
    double power = 0;
    for (int phase = 0; phase < 3; ++phase) {
        current += point.current[phase];
        power += point.power[phase];
    }
    stretch.ampereHours += current * hours;
    stretch.wattHours += power * hours;
    m_totalAh += current * hours;
    m_totalWh += power * hours;
    m_lastSeconds = std::max(m_lastSeconds, point.seconds);
    stretch.duration = m_lastSeconds - stretch.start;
    stretch.lastVoltage = MeanPhaseVoltage(point);
    ++stretch.points;
    ++m_points;
}
