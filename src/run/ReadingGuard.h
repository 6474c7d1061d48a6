#pragma once

#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class Clock;
class RunChannel;
struct PulseReply;
struct RunState;

// One reading a run took, as a safety check sees it.
struct Reading {
    int step = 0;  // step number, from 1
    struct Voltage {
        QString phase;  // "A", "B", "C"; "" for the one voltage of a pulse result
        double volts = 0;
    };
    // Each phase's voltage that came as a number, phase A first.
    QVector<Voltage> voltages;
    std::optional<double> current;  // total of the phases (A)
    std::optional<double> power;    // total of the phases (W)
    double testSeconds = 0;         // since the run started
};

// A reading beyond a limit: what the operator is told, and whether the run
// pauses (else it stops).
struct LimitTrip {
    QString message;
    bool pause = false;
    bool inputWasOn = false;  // the load's input before the guard switched it off
};

// Every reading a run takes (each point, each reading of a ramp or a pulse
// test) passes the check a service sets here, inside the tick that took it.
// When the check reports a trip the load goes off at once; the run then logs
// the point as usual and reports the trip (TakeTrip) to end or pause itself.
class ReadingGuard {
  public:
    using Check = std::function<std::optional<LimitTrip>(const Reading&)>;

    ReadingGuard(const RunState& state, const Clock& clock, RunChannel& channel);

    void SetCheck(Check check) { m_check = std::move(check); }

    // Checks the readings of a point (Measurement::LastReading); true when it
    // tripped.
    bool CheckPoint(Reading reading);
    // Checks the voltage, current and power of a pulse test's result.
    bool CheckPulse(const PulseReply& result);

    bool Tripped() const { return m_trip.has_value(); }
    // A new run: no trip of an earlier one waits.
    void Clear() { m_trip.reset(); }
    // The trip waiting to be reported, once; nothing when none is waiting.
    std::optional<LimitTrip> TakeTrip();

  private:
    const RunState& m_state;
    const Clock& m_clock;
    RunChannel& m_channel;
    Check m_check;
    std::optional<LimitTrip> m_trip;
};
