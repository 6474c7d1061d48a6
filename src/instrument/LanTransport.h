#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include "Transport.h"

// How long the LAN link waits. The defaults are the ones the load is used
// with; tests shorten them.
struct LanTimings {
    int settleMs = 1000;          // pause after dropping the old connection
    int connectBudgetMs = 10000;  // all connection attempts together
    int retryGapMs = 10;          // pause between two refused attempts
    int readTimeoutMs = 10000;    // longest wait for a reply

    bool operator==(const LanTimings& other) const;
};

// The load over TCP. A command goes out as its text plus LF; a reply is the
// data of the first arrival after the read starts. Every arrival replaces the
// previous one: a reply that comes in two pieces is not joined, the second
// piece waits for the next read.
class LanTransport : public Transport {
  public:
    LanTransport(const QString& host, int port, const LanTimings& timings = LanTimings());
    ~LanTransport() override;

    Medium LinkMedium() const override { return Medium::Lan; }
    QString Address() const override;

    // Drops any old connection and connects anew, retrying refused attempts
    // until the budget is spent.
    LinkResult Open() override;
    void Close() override;
    bool IsOpen() const override;

    LinkResult Write(const QString& command) override;
    LinkResult Read() override;
    // A timed test's result line: waits the longer of the read time-out and
    // `seconds`, so a long test's verdict is not taken for silence.
    LinkResult ReadTimed(double seconds) override;

  private:
    LinkResult ReadWithin(qint64 timeoutMs);
    void OnReadyRead();
    bool IsConnected() const;
    bool EndpointValid() const;
    LinkResult NotConnected() const;
    QString ConnectFailure() const;

    LanTimings m_timings;
    QTcpSocket m_socket;
    QByteArray m_socketBuffer;  // the latest arrival, until a read takes it
    QString m_host;
    int m_port = 0;
    // A link the program closed itself (Stop inside a wait, for instance) is
    // not lost: the work still waiting on it just ends quietly.
    bool m_closedByProgram = false;
    QAbstractSocket::SocketError m_lastConnectError = QAbstractSocket::UnknownSocketError;
};
