#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "Displays.h"
#include "OperatorTap.h"
#include "PhaseGrid.h"
#include "ProgramSettings.h"
#include "RunControl.h"
#include "RunState.h"
#include "TestFile.h"

class Clock;
class LoadConnection;
class Measurement;
class Operator;
class OutputProgrammer;
class PointLog;
class ReadingGuard;
class RunChannel;

// The whole engine behind the window and the headless runner: settings, the
// test, the load connection, the run and what the window shows. Both faces
// call the same operations and read the same models.
class Station : public QObject {
    Q_OBJECT

  public:
    Station(Operator& op, const Clock& clock, const QString& programFolder,
            QObject* parent = nullptr);
    ~Station() override;

    // The start-up work: settings, connection settings, test file, serial
    // number. The window calls it from its first clock tick; the runner at once.
    void StartUp();
    // Starts the clock timer: StartUp() after 500 ms, then the time display
    // every second.
    void BeginClock();

    void Start() { m_control->Start(); }
    void Stop() { m_control->Stop(); }
    void Pause() { m_control->Pause(); }
    // The "Check" command: lists what the check finds in the step table.
    void ShowCheck();
    // A new, untitled test of one empty step; the connection stays as it is
    // and goes with the test file when it is first saved.
    void NewTest();
    // Asks for a test file and loads it with its connection settings. A file
    // that is no test file is refused and nothing changes.
    void OpenTestFile();
    // Loads `path` with its connection settings and remembers it, as the
    // dialog's answer would be; false (and nothing changed) when refused.
    bool OpenTestFile(const QString& path);
    // Asks where to save the test and saves it there (below). Returns false
    // when the dialog was cancelled or the file not written.
    bool SaveTestFileAs();
    // Saves the table, its options and the connection to `path` and makes it
    // the current test file; until the test file is written nothing changes.
    bool SaveTestFileAs(const QString& path);
    // The connection panel: opening restores the settings from the test
    // file, OK stores them in it and in TRIO.INI and saves the test.
    void ReloadConnectionSettings();
    void AcceptConnectionSettings();
    // The window closes: the run stops at once and the load is released.
    void Shutdown();
    // Writes the safety limits into the test file; false (told) when it
    // cannot be written.
    bool SetSafetyLimits(const SafetyLimits& limits);

    // Points channel 1 at a load on `host`:`port` over LAN for this session
    // only (the simulated load, for instance); no file is written.
    void UseLanLoad(const QString& host, quint16 port);

    ProgramSettings& Settings() { return m_settings; }
    TestDocument& Test() { return m_test; }
    LoadConnection& Connection() { return *m_connection; }
    Displays& Views() { return m_displays; }
    PhaseGrid& Phases() { return m_phases; }
    const RunState& State() const { return m_state; }
    RunControl& Control() { return *m_control; }
    // The operator as the station speaks to them (what telemetry hears too).
    Operator& OperatorSeam() { return m_operator; }
    // Every reading of a run passes its check (the safety limits).
    ReadingGuard& Guard() { return *m_guard; }
    // The last input command sent to the load was "LOAD ON".
    bool LoadInputOn() const;
    // Where the start of the running test moved an earlier data log of the
    // same serial number; "" when there was none.
    QString LogMovedAside() const;
    const Clock& RunClock() const { return m_clock; }
    bool StartedUp() const { return m_startedUp; }

  signals:
    void startedUp();
    // A message to the operator, told before it is shown.
    void operatorMessage(const QString& text, const QString& title);
    // Another test file was opened (its connection settings with it).
    void testFileOpened(const QString& path);

  private:
    // The clock timer: the start-up work at its first tick, then the time.
    void OnClockTick();
    void ShowDateTime();
    QString ResolveTestPath(const QString& path) const;
    QString DialogPreset() const;

    OperatorTap m_tap;
    Operator& m_operator;
    const Clock& m_clock;
    ProgramSettings m_settings;
    TestDocument m_test;
    Displays m_displays;
    PhaseGrid m_phases;
    RunState m_state;
    QTimer m_clockTimer;
    bool m_startedUp = false;
    std::unique_ptr<LoadConnection> m_connection;
    std::unique_ptr<RunChannel> m_channel;
    std::unique_ptr<Measurement> m_measurement;
    std::unique_ptr<OutputProgrammer> m_outputs;
    std::unique_ptr<PointLog> m_points;
    std::unique_ptr<ReadingGuard> m_guard;
    std::unique_ptr<RunContext> m_context;
    std::unique_ptr<RunControl> m_control;
};
