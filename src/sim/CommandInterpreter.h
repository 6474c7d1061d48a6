#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "BatteryModel.h"
#include "LoadSettings.h"
#include "SimulatedLoad.h"

// What one command line did.
struct CommandOutcome {
    bool understood = false;          // false: unknown text, ignored
    std::optional<QByteArray> reply;  // a query's answer, LF included
    bool pulseStarted = false;        // a pulse train now runs; its result follows later
};

// The load's side of the command protocol: takes command lines, keeps the
// settings, runs the battery and answers queries. No sockets and no clock of
// its own: every call says what time it is (seconds on a monotonic clock), so
// the discharge and the pulse train can be checked without waiting.
class CommandInterpreter {
  public:
    explicit CommandInterpreter(const SimOptions& options, double now = 0.0);
    CommandInterpreter(const CommandInterpreter&) = delete;
    CommandInterpreter& operator=(const CommandInterpreter&) = delete;

    // Carries out one line, received without its line end.
    CommandOutcome Execute(const QString& line, double now);

    // When the running pulse train ends; nothing while none runs.
    std::optional<double> PulseEndsAt() const;
    // The result line of a pulse train that has ended, once; nothing before.
    std::optional<QByteArray> TakePulseResult(double now);

    bool InputOn(double now);
    double ChargeDrawnAh(double now);
    const LoadSettings& Settings() const { return m_settings; }

  private:
    struct PulseTrain {
        double start = 0.0;
        double end = 0.0;
    };
    struct PhaseValues {
        std::array<double, 3> voltage{};
        std::array<double, 3> current{};
        std::array<double, 3> power{};
    };
    using Setter = std::function<void(double)>;

    void BuildSetters();
    bool ApplySetting(const QString& line);
    bool ApplySwitch(const QString& line, double now, CommandOutcome* outcome);
    std::optional<QByteArray> Answer(const QString& line, double now) const;

    void Advance(double now);
    void Discharge(const std::function<double()>& current, double realSeconds);
    double SteadyCurrent() const;
    double PulseHighCurrent() const;
    double PulseLowCurrent() const;
    double PulseAverageCurrent() const;
    double PresentCurrent(double now) const;
    PhaseValues Measure(double now) const;

    void StartPulse(double now);
    void FinishPulse();

    BatteryModel m_battery;
    LoadSettings m_settings;
    double m_timeScale;
    double m_pulseFailVoltage;
    int m_pulseNgLeft;
    double m_lastUpdate;
    std::optional<PulseTrain> m_pulse;
    std::optional<QByteArray> m_pulseResult;
    std::vector<std::pair<QString, Setter>> m_setters;
};
