#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>

#include "SessionContext.h"
#include "SimulatedLoad.h"

class LoadSession;

// Serves the load on a pseudo-terminal, the stand-in for a serial cable: a
// serial port opened on the device path talks to the load. The terminal is
// raw, so LF and CR pass untouched. As on a real cable, what the load sends
// while no port is open is lost rather than kept for the next opening. A
// dropped link makes the load deaf and mute on this medium until new faults
// are set; a terminal cannot hang up the way a socket does.
class PtyLoadServer : public QObject {
  public:
    explicit PtyLoadServer(const SessionContext& context, QObject* parent = nullptr);
    ~PtyLoadServer() override;

    // Opens the terminal (once); returns the device path, or "" with the
    // reason in `error`.
    QString Open(QString* error);
    void SetFaults(const SimFaults& faults);

    // Replies waiting for a reader beyond this are dropped.
    static constexpr int kMaxPendingBytes = 1 << 20;

  private:
    QString Fail(const QString& what, QString* error);
    void CloseDevice();
    void WaitForPort();
    void CheckForPort();
    void ReadInput();
    void Write(const QByteArray& bytes);
    void FlushOutput();

    SessionContext m_context;
    SimFaults m_faults;
    int m_master = -1;
    bool m_portOpen = false;  // a serial port has the terminal open
    QTimer m_portWatch;
    QString m_path;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_output;
    LoadSession* m_session = nullptr;
};
