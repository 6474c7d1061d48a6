#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTcpSocket>

#include "Transport.h"

// How long the LAN link waits. The defaults are the ones the load is used
// with; tests shorten them.
struct LanTimings {
    int settleMs = 1000;          // pause after dropping the old connection
    int connectBudgetMs = 10000;  // all connection attempts together
    int retryGapMs = 10;          // pause between two refused attempts
    int refusedBudgetMs = 500;    // how long refused attempts are retried
    int readTimeoutMs = 10000;    // longest wait for a reply

    bool operator==(const LanTimings& other) const;
};

// The load over TCP. A command goes out as its text plus LF at once (no
// waiting to fill a segment); a reply is one line, read up to its LF however
// many pieces it arrives in (serial-to-LAN converters cut replies). What is
// left unread when the next command goes out belongs to an earlier reply and
// is dropped, so a late piece never answers the next query.
class LanTransport : public Transport {
  public:
    LanTransport(const QString& host, int port, const LanTimings& timings = LanTimings());
    ~LanTransport() override;

    Medium LinkMedium() const override { return Medium::Lan; }
    QString Address() const override;

    // Drops any old connection and connects anew. An old connection gets the
    // settling pause first; refused attempts are retried for a short while
    // (the load may still be letting go of an old connection), attempts that
    // go unanswered until the connect budget is spent.
    LinkResult Open() override;
    void Close() override;
    bool IsOpen() const override;

    LinkResult Write(const QString& command) override;
    LinkResult Read() override;
    LinkResult ReadBefore(const QDeadlineTimer& deadline) override;
    // A timed test's result line: waits the longer of the read time-out and
    // `seconds`, so a long test's verdict is not taken for silence.
    LinkResult ReadTimed(double seconds) override;

  private:
    LinkResult ReadWithin(qint64 timeoutMs);
    void TakeArrivals();
    // The first wait of a read: the reply of a load on the bench is there
    // within a fraction of a millisecond, so it is awaited without events.
    void AwaitReplyBriefly();
    void SettleAfterOldConnection();
    bool IsConnected() const;
    bool EndpointValid() const;
    LinkResult NotConnected() const;
    QString ConnectFailure() const;

    LanTimings m_timings;
    QTcpSocket m_socket;
    QByteArray m_socketBuffer;  // what arrived and no read has taken yet
    QString m_host;
    int m_port = 0;
    // A link the program closed itself (Stop inside a wait, for instance) is
    // not lost: the work still waiting on it just ends quietly.
    bool m_closedByProgram = false;
    // A command written from inside a read (Stop's "LOAD OFF") must not drop
    // the reply that read waits for.
    bool m_reading = false;
    QElapsedTimer m_sinceDisconnect;
    QAbstractSocket::SocketError m_lastConnectError = QAbstractSocket::UnknownSocketError;
};
