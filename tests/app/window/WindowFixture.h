#pragma once

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "MainWindow.h"
#include "RecordingOperator.h"
#include "SimulatedLoad.h"

class Clock;
class Operator;
class Station;

// The window on a program folder in a temporary directory, with a recording
// operator in place of the dialogs. Tests write TRIO.INI and the test file,
// then call StartUp(), which shows the window and waits for its first tick.
class WindowFixture {
  public:
    // One step: action, mode, value, dwell, loop times, stable, stop Ah,
    // meas time, go to, frequency, CF, PF (missing trailing fields are "").
    using Step = QStringList;

    // `dialogs` answers the operator's dialogs in place of the recording
    // operator (the window's own message boxes, for instance).
    explicit WindowFixture(const Clock* clock = nullptr, Operator* dialogs = nullptr);
    ~WindowFixture();

    QString SettingsPath() const { return home.filePath("TRIO.INI"); }
    QString TestPath() const { return home.filePath("TestFile01.INI"); }
    void WriteSettings(const QString& text);
    void WriteTest(const QList<Step>& steps);

    // Shows the window and waits until the station has started up.
    void StartUp();
    // Starts a simulated load on 127.0.0.1 and points channel 1 at it for the
    // session, as --sim does.
    void UseSimulatedLoad();

    template <typename T>
    T* Find(const QString& name) const;
    void Click(const QString& buttonName) const;
    // Runs events until `done` answers true; false after `timeoutMs`.
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

    QTemporaryDir home;
    RecordingOperator op;
    std::unique_ptr<SimulatedLoad> sim;
    std::unique_ptr<Station> station;
    std::unique_ptr<MainWindow> window;
};

template <typename T>
T* WindowFixture::Find(const QString& name) const {
    return window->findChild<T*>(name);
}
