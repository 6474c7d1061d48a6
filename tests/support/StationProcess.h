#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A station as the lab runs it: zld-run in its own process against its own
// simulated load, with a program folder in a temporary directory holding one
// constant-current discharge.
class StationProcess {
  public:
    // `dischargeSeconds` at MeasT `measureSeconds`; `telemetryKeys` are
    // written to TRIO.INI [Telemetry] as "key=value".
    StationProcess(double dischargeSeconds, double measureSeconds,
                   const QStringList& telemetryKeys = {});
    ~StationProcess();

    void Start(const QString& runnerPath, const QString& serial, const QString& publishUrl);
    bool WaitForEnd(int timeoutMs);
    void Kill();

    QProcess& Process() { return m_process; }
    // The data lines of the run's log, without the header.
    QStringList LogLines() const;
    QString Stderr();

  private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_serial;
    QByteArray m_stderr;
};
