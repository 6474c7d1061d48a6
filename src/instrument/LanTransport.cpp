#include "LanTransport.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cmath>

#include "EventPump.h"
#include "EventWait.h"
#include "InstrumentLogging.h"

namespace {
// A babbling peer cannot make one arrival larger than this.
constexpr qint64 kMaxArrivalBytes = 64 * 1024;
// Longest slice the waits let events run before they look at the clock again.
constexpr int kWaitSliceMs = 50;
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
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { OnReadyRead(); });
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

void LanTransport::OnReadyRead() {
    m_socketBuffer = m_socket.readAll();
    qCDebug(LanLog) << "arrival" << m_socketBuffer;
}

LinkResult LanTransport::Open() {
    m_closedByProgram = false;
    m_lastConnectError = QAbstractSocket::UnknownSocketError;
    // The load takes a moment to let go of an old connection; pending bytes
    // of the old one are still delivered meanwhile.
    m_socket.disconnectFromHost();
    WaitWithEvents(m_timings.settleMs);
    m_socket.abort();
    m_socketBuffer.clear();
    if (!EndpointValid()) {
        qCDebug(LanLog) << "no valid endpoint" << m_host << m_port;
        return LinkResult::Failure(LinkResult::Kind::OpenFailed,
                                   QStringLiteral("no valid host and port"));
    }

    qCDebug(LanLog) << "connecting to" << m_host << m_port;
    const QDeadlineTimer budget(m_timings.connectBudgetMs);
    EventPump pump;
    pump.WakeOn(&m_socket, &QTcpSocket::stateChanged);
    m_socket.connectToHost(m_host, static_cast<quint16>(m_port));
    QDeadlineTimer nextAttempt(kFirstAttemptMs);
    // An attempt still under way is left to finish; only a refused or failed
    // one is retried, so a slow network still gets connected.
    while (!IsConnected()) {
        if (m_closedByProgram) {
            m_socket.abort();  // closed while connecting (Stop pressed meanwhile)
            return LinkResult::Failure(LinkResult::Kind::Closed,
                                       QStringLiteral("closed while connecting"));
        }
        if (budget.hasExpired()) {
            m_socket.abort();
            qCDebug(LanLog) << "connect failed" << ConnectFailure();
            return LinkResult::Failure(LinkResult::Kind::OpenFailed, ConnectFailure());
        }
        if (m_socket.state() == QAbstractSocket::UnconnectedState && nextAttempt.hasExpired()) {
            m_socket.connectToHost(m_host, static_cast<quint16>(m_port));
            nextAttempt.setRemainingTime(m_timings.retryGapMs);
        }
        qint64 left = budget.remainingTime();
        if (m_socket.state() == QAbstractSocket::UnconnectedState) {
            left = qMin(left, nextAttempt.remainingTime());
        }
        pump.RunFor(SliceMs(left));
    }
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
    qCDebug(LanLog) << "sent" << command;
    m_socket.write(command.toLatin1() + '\n');
    m_socket.flush();
    return LinkResult::Done();
}

LinkResult LanTransport::Read() {
    return ReadWithin(m_timings.readTimeoutMs);
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
    EventPump pump;
    pump.WakeOn(&m_socket, &QTcpSocket::readyRead);
    pump.WakeOn(&m_socket, &QTcpSocket::disconnected);
    while (m_socketBuffer.isEmpty() && !deadline.hasExpired()) {
        if (!IsConnected()) {
            // The peer may have answered and hung up in one go.
            if (m_socket.bytesAvailable() > 0) {
                OnReadyRead();
            }
            break;
        }
        pump.RunFor(SliceMs(deadline.remainingTime()));
    }
    const QByteArray received = m_socketBuffer;
    m_socketBuffer.clear();
    LinkResult result;
    if (received.isEmpty() && !IsConnected()) {
        result = m_closedByProgram ? NotConnected()
                                   : LinkResult::Failure(LinkResult::Kind::Lost,
                                                         QStringLiteral("the load hung up"));
    } else {
        result = LinkResult::FromReceived(
            received, QStringLiteral("no reply within %1 s").arg(Seconds(timeoutMs)));
    }
    if (result.Ok()) {
        qCDebug(LanLog) << "reply" << result.reply;
    } else {
        qCDebug(LanLog) << "no reply:" << result.reason;
    }
    return result;
}
