#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include "Transport.h"

class Operator;

// How long the LAN link waits. The defaults are the ones the load is used
// with; tests shorten them.
struct LanTimings {
    int settleMs = 1000;          // pause after dropping the old connection
    int connectBudgetMs = 10000;  // all connection attempts together
    int retryGapMs = 10;          // pause between two refused attempts
    int readTimeoutMs = 10000;    // longest wait for a reply
};

// The load over TCP. A command goes out as its text plus LF; a reply is the
// data of the first arrival after the read starts. Every arrival replaces the
// previous one: a reply that comes in two pieces is not joined, the second
// piece waits for the next read.
class LanTransport : public Transport {
  public:
    explicit LanTransport(Operator& op, const LanTimings& timings = LanTimings());
    ~LanTransport() override;

    void SetEndpoint(const QString& host, int port);
    void SetTimings(const LanTimings& timings) { m_timings = timings; }
    QString Host() const { return m_host; }
    int Port() const { return m_port; }

    // Drops any old connection and connects anew, retrying refused attempts
    // until the budget is spent; then shows "Connect Fail!".
    void Open() override;
    bool Connect();
    void Close() override;
    bool IsOpen() const override;

    void Write(const QString& command) override;
    QString Read() override;
    // A timed test's result line: waits the longer of the read time-out and
    // `seconds`, so a long test's verdict is not taken for silence.
    QString ReadTimed(double seconds) override;
    bool LinkLost() const override { return m_linkLost; }

  private:
    QString ReadWithin(qint64 timeoutMs);
    void OnReadyRead();
    bool IsConnected() const;
    bool EndpointValid() const;
    void ReportLost();
    void ReportConnectFail();

    Operator& m_operator;
    LanTimings m_timings;
    QTcpSocket m_socket;
    QByteArray m_socketBuffer;  // the latest arrival, until a read takes it
    QString m_host;
    int m_port = 0;
    bool m_linkLost = false;
    bool m_closedByProgram = false;
};
