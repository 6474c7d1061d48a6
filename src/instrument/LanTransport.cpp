#include "LanTransport.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "DirectSocketIo.h"
#include "EventPump.h"
#include "EventWait.h"
#include "InstrumentLogging.h"

namespace {
// A babbling peer cannot make one arrival larger than this.
constexpr qint64 kMaxArrivalBytes = 64 * 1024;
// Longest slice the waits let events run before they look at the clock again.
constexpr int kWaitSliceMs = 50;
// How long a read waits for its reply before it lets events run meanwhile.
constexpr int kQuickReplyMs = 1;
// The first look at a new connection attempt.
constexpr int kFirstAttemptMs = 100;

int SliceMs(qint64 remainingMs) {
    return static_cast<int>(std::clamp<qint64>(remainingMs, 1, kWaitSliceMs));
}

QString Seconds(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0);
}
}  // namespace

bool LanTimings::operator==(const LanTimings& other) const {
    return settleMs == other.settleMs && connectBudgetMs == other.connectBudgetMs &&
           retryGapMs == other.retryGapMs && readTimeoutMs == other.readTimeoutMs;
}

LanTransport::LanTransport(const QString& host, int port, const LanTimings& timings)
    : m_timings(timings), m_host(host.trimmed()), m_port(port) {
    m_socket.setReadBufferSize(kMaxArrivalBytes);
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { TakeArrivals(); });
    QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket,
                     [this] { m_sinceDisconnect.start(); });
    QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &m_socket,
                     [this](QAbstractSocket::SocketError error) {
                         if (!IsConnected()) {
                             m_lastConnectError = error;
                         }
                     });
}

LanTransport::~LanTransport() {
    m_socket.abort();
}

QString LanTransport::Address() const {
    return QStringLiteral("%1:%2").arg(m_host).arg(m_port);
}

bool LanTransport::IsConnected() const {
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool LanTransport::IsOpen() const {
    return IsConnected();
}

bool LanTransport::EndpointValid() const {
    return !m_host.isEmpty() && m_port > 0 && m_port <= 65535;
}

void LanTransport::TakeArrivals() {
    const qint64 room = kMaxArrivalBytes - m_socketBuffer.size();
    if (room <= 0 || m_socket.bytesAvailable() <= 0) {
        return;
    }
    const QByteArray arrival = m_socket.read(room);
    qCDebug(LanLog) << "arrival" << arrival;
    m_socketBuffer += arrival;
}

void LanTransport::AwaitReplyBriefly() {
    if (!DirectSocketIo::Supported()) {
        m_socket.waitForReadyRead(kQuickReplyMs);
        return;
    }
    const qsizetype before = m_socketBuffer.size();
    const DirectSocketIo::Arrival arrival = DirectSocketIo::AwaitBytes(
        m_socket.socketDescriptor(), kQuickReplyMs, kMaxArrivalBytes - before, &m_socketBuffer);
    if (arrival == DirectSocketIo::Arrival::Bytes) {
        qCDebug(LanLog) << "arrival" << m_socketBuffer.mid(before);
    } else if (arrival == DirectSocketIo::Arrival::EndOrError) {
        m_socket.waitForReadyRead(0);  // the socket object takes the hang-up in
    }
}

void LanTransport::SettleAfterOldConnection() {
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.disconnectFromHost();
        m_sinceDisconnect.start();
    }
    // The load takes a moment to let go of an old connection; pending bytes
    // of the old one are still delivered meanwhile. A link that was never up,
    // or went down long ago, needs no pause.
    if (m_sinceDisconnect.isValid()) {
        WaitWithEvents(static_cast<double>(m_timings.settleMs - m_sinceDisconnect.elapsed()));
    }
    m_socket.abort();
    m_socketBuffer.clear();
}

LinkResult LanTransport::Open() {
    m_closedByProgram = false;
    m_lastConnectError = QAbstractSocket::UnknownSocketError;
    SettleAfterOldConnection();
    if (!EndpointValid()) {
        qCDebug(LanLog) << "no valid endpoint" << m_host << m_port;
        return LinkResult::Failure(LinkResult::Kind::OpenFailed,
                                   QStringLiteral("no valid host and port"));
    }

    qCDebug(LanLog) << "connecting to" << m_host << m_port;
    const QDeadlineTimer budget(m_timings.connectBudgetMs);
    std::optional<QDeadlineTimer> refusedUntil;
    EventPump pump;
    pump.WakeOn(&m_socket, &QTcpSocket::stateChanged);
    m_socket.connectToHost(m_host, static_cast<quint16>(m_port));
    QDeadlineTimer nextAttempt(kFirstAttemptMs);
    // An attempt still under way is left to finish, so a slow network still
    // gets connected; a refused one is retried only briefly, since a host
    // that answers with a refusal is there and says no.
    while (!IsConnected()) {
        if (m_closedByProgram) {
            m_socket.abort();  // closed while connecting (Stop pressed meanwhile)
            return LinkResult::Failure(LinkResult::Kind::Closed,
                                       QStringLiteral("closed while connecting"));
        }
        const bool idle = m_socket.state() == QAbstractSocket::UnconnectedState;
        if (idle && m_lastConnectError == QAbstractSocket::ConnectionRefusedError &&
            !refusedUntil) {
            refusedUntil = QDeadlineTimer(m_timings.refusedBudgetMs);
        }
        if (budget.hasExpired() || (idle && refusedUntil && refusedUntil->hasExpired())) {
            m_socket.abort();
            qCDebug(LanLog) << "connect failed" << ConnectFailure();
            return LinkResult::Failure(LinkResult::Kind::OpenFailed, ConnectFailure());
        }
        if (idle && nextAttempt.hasExpired()) {
            m_socket.connectToHost(m_host, static_cast<quint16>(m_port));
            nextAttempt.setRemainingTime(m_timings.retryGapMs);
        }
        qint64 left = budget.remainingTime();
        if (m_socket.state() == QAbstractSocket::UnconnectedState) {
            left = qMin(left, nextAttempt.remainingTime());
        }
        pump.RunFor(SliceMs(left));
    }
    // Commands are short and most get no reply: without this each would wait
    // for the load's delayed acknowledgement of the one before.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    qCDebug(LanLog) << "connected to" << m_host << m_port;
    return LinkResult::Done();
}

QString LanTransport::ConnectFailure() const {
    switch (m_lastConnectError) {
        case QAbstractSocket::ConnectionRefusedError:
            return QStringLiteral("connection refused");
        case QAbstractSocket::HostNotFoundError:
            return QStringLiteral("host not found");
        case QAbstractSocket::NetworkError:
            return QStringLiteral("network unreachable");
        default:
            return QStringLiteral("no connection within %1 s")
                .arg(Seconds(m_timings.connectBudgetMs));
    }
}

void LanTransport::Close() {
    qCDebug(LanLog) << "close";
    m_closedByProgram = true;
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_sinceDisconnect.start();
    }
    m_socket.disconnectFromHost();
    m_socketBuffer.clear();
}

LinkResult LanTransport::NotConnected() const {
    if (m_closedByProgram) {
        return LinkResult::Failure(LinkResult::Kind::Closed, QStringLiteral("connection closed"));
    }
    return LinkResult::Failure(LinkResult::Kind::Lost, QStringLiteral("not connected"));
}

LinkResult LanTransport::Write(const QString& command) {
    if (!IsConnected()) {
        qCDebug(LanLog) << "not sent" << command;
        return NotConnected();
    }
    if (!m_reading) {
        TakeArrivals();
        if (!m_socketBuffer.isEmpty()) {
            qCDebug(LanLog) << "dropped, no read took it:" << m_socketBuffer;
            m_socketBuffer.clear();
        }
    }
    qCDebug(LanLog) << "sent" << command;
    const QByteArray bytes = command.toLatin1() + '\n';
    // Straight to the socket unless earlier bytes still wait in the socket
    // object; what the socket does not take now (or an error) is left to it.
    const qint64 sent = m_socket.bytesToWrite() == 0
                            ? DirectSocketIo::SendNow(m_socket.socketDescriptor(), bytes)
                            : 0;
    if (sent < bytes.size()) {
        m_socket.write(bytes.mid(qMax<qint64>(sent, 0)));
        m_socket.flush();
    }
    return LinkResult::Done();
}

LinkResult LanTransport::Read() {
    return ReadWithin(m_timings.readTimeoutMs);
}

LinkResult LanTransport::ReadBefore(const QDeadlineTimer& deadline) {
    if (deadline.isForever()) {
        return Read();
    }
    return ReadWithin(std::clamp<qint64>(deadline.remainingTime(), 0, m_timings.readTimeoutMs));
}

LinkResult LanTransport::ReadTimed(double seconds) {
    const double ms = std::isfinite(seconds) ? seconds * 1000.0 : 0.0;
    return ReadWithin(qMax<qint64>(m_timings.readTimeoutMs, static_cast<qint64>(qMin(ms, 1e9))));
}

LinkResult LanTransport::ReadWithin(qint64 timeoutMs) {
    if (!IsConnected()) {
        m_socketBuffer.clear();
        return NotConnected();
    }
    const QDeadlineTimer deadline(timeoutMs);
    std::optional<EventPump> pump;
    bool firstLook = true;
    m_reading = true;
    QByteArray line;
    for (;;) {
        // The peer may have answered and hung up in one go.
        TakeArrivals();
        line = TakeLine(&m_socketBuffer);
        // A line longer than anything the load sends ends where the buffer
        // is full, so a babbling peer cannot hold the read.
        if (line.isEmpty() && m_socketBuffer.size() >= kMaxArrivalBytes) {
            line = std::exchange(m_socketBuffer, QByteArray());
        }
        if (!line.isEmpty() || !IsConnected() || deadline.hasExpired()) {
            break;
        }
        if (firstLook) {
            // A load on the bench answers a query within a fraction of a
            // millisecond: waiting that long for it without running events
            // spares a pass through the event loop for every reply, and
            // holds a click by no more than the wait.
            firstLook = false;
            AwaitReplyBriefly();
            continue;
        }
        if (!pump) {
            pump.emplace();
            pump->WakeOn(&m_socket, &QTcpSocket::readyRead);
            pump->WakeOn(&m_socket, &QTcpSocket::disconnected);
        }
        pump->RunFor(SliceMs(deadline.remainingTime()));
    }
    m_reading = false;
    LinkResult result;
    if (!line.isEmpty()) {
        result = LinkResult::FromReceived(line, QString());
    } else if (!IsConnected()) {
        m_socketBuffer.clear();
        result = m_closedByProgram ? NotConnected()
                                   : LinkResult::Failure(LinkResult::Kind::Lost,
                                                         QStringLiteral("the load hung up"));
    } else {
        result = LinkResult::Unfinished(m_socketBuffer, Seconds(timeoutMs) + QStringLiteral(" s"));
    }
    if (result.Ok()) {
        qCDebug(LanLog) << "reply" << result.reply;
    } else {
        qCDebug(LanLog) << "no reply:" << result.reason;
    }
    return result;
}
