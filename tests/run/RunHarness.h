#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "RecordingOperator.h"
#include "RunControl.h"
#include "SimulatedLoad.h"
#include "Station.h"

class Clock;

// A program folder in a temporary directory, a station on it and a simulated
// load on 127.0.0.1 that channel 1 points at.
class RunHarness {
  public:
    // One step: action, mode, value, dwell, loop times, stable, stop Ah,
    // meas time, go to, frequency, CF, PF (missing trailing fields are "").
    using Step = QStringList;

    explicit RunHarness(const SimOptions& simOptions = SimOptions(), const Clock* clock = nullptr);
    ~RunHarness();

    // Writes TRIO.INI and TestFile01.INI, then starts the station up on them.
    void Prepare(const QList<Step>& steps, int saveLogFlag = 1, double measureTime = 0.01);

    // Points channel 1 at a serial device instead: a pseudo-terminal of the
    // simulated load or of a test's own peer.
    void UseSerialLoad(const QString& device);
    // Points channel 1 at GPIB address `address` instead, through whatever
    // driver library ZLD_GPIB_LIBRARY names.
    void UseGpibLoad(int address);

    // Presses Start and runs events until the run ends or `timeoutMs` passes.
    std::optional<RunOutcome> Run(int timeoutMs = 20000);
    // Runs events until `done` answers true or `timeoutMs` passes.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000);

    // Commands the load received after the connection pass's last setting.
    QStringList StepCommands() const;
    QString LogPath(const QString& serial) const;

    QTemporaryDir home;
    RecordingOperator op;
    std::unique_ptr<SimulatedLoad> sim;
    std::unique_ptr<Station> station;
    std::optional<RunOutcome> outcome;
};
