#include "ReadingGuard.h"

#include "Clock.h"
#include "NumberText.h"
#include "PulseReply.h"
#include "RunChannel.h"
#include "RunState.h"

ReadingGuard::ReadingGuard(const RunState& state, const Clock& clock, RunChannel& channel)
    : m_state(state), m_clock(clock), m_channel(channel) {}

bool ReadingGuard::CheckPulse(const PulseReply& result) {
    if (result.code == PulseReply::kNoResult) {
        return false;
    }
    Reading reading;
    double value = 0;
    if (StrictNumber(result.voltage, &value)) {
        reading.voltages.push_back({QString(), value});
    }
    if (StrictNumber(result.current, &value)) {
        reading.current = value;
    }
    if (StrictNumber(result.power, &value)) {
        reading.power = value;
    }
    return CheckPoint(reading);
}

bool ReadingGuard::CheckPoint(Reading reading) {
    if (!m_check || m_trip) {
        return m_trip.has_value();
    }
    reading.step = m_state.CurrentStep + 1;
    if (m_state.RunStartStamp.isValid()) {
        reading.testSeconds = m_state.RunStartStamp.msecsTo(m_clock.Now()) / 1000.0;
    }
    m_trip = m_check(reading);
    if (!m_trip) {
        return false;
    }
    m_trip->inputWasOn = m_channel.InputOn();
    m_channel.LoadOffFirstChannel();
    return true;
}

std::optional<LimitTrip> ReadingGuard::TakeTrip() {
    std::optional<LimitTrip> trip;
    trip.swap(m_trip);
    return trip;
}
