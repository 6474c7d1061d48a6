#include "LanTransport.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <cmath>

#include "Commands.h"
#include "EventPump.h"
#include "EventWait.h"
#include "InstrumentLogging.h"
#include "Operator.h"

namespace {
const QString kConnectFail = QStringLiteral("Connect Fail!");
const QString kLostConnect = QStringLiteral("Lost Connect!");
// A babbling peer cannot make one arrival larger than this.
constexpr qint64 kMaxArrivalBytes = 64 * 1024;
// Longest slice the waits let events run before they look at the clock again.
constexpr int kWaitSliceMs = 50;
// The first look at a new connection attempt.
constexpr int kFirstAttemptMs = 100;

int SliceMs(qint64 remainingMs) {
    return static_cast<int>(std::clamp<qint64>(remainingMs, 1, kWaitSliceMs));
}
}  // namespace

LanTransport::LanTransport(Operator& op, const LanTimings& timings)
    : m_operator(op), m_timings(timings) {
    m_socket.setReadBufferSize(kMaxArrivalBytes);
    QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { OnReadyRead(); });
}

LanTransport::~LanTransport() {
    m_socket.abort();
}

void LanTransport::SetEndpoint(const QString& host, int port) {
    m_host = host.trimmed();
    m_port = port;
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

void LanTransport::Open() {
    Connect();
}

bool LanTransport::Connect() {
    m_linkLost = false;
    m_closedByProgram = false;
    // The load takes a moment to let go of an old connection; pending bytes
    // of the old one are still delivered meanwhile.
    m_socket.disconnectFromHost();
    WaitWithEvents(m_timings.settleMs);
    m_socket.abort();
    m_socketBuffer.clear();
    if (!EndpointValid()) {
        qCDebug(LanLog) << "no valid endpoint" << m_host << m_port;
        ReportConnectFail();
        return false;
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
            return false;
        }
        if (budget.hasExpired()) {
            m_socket.abort();
            ReportConnectFail();
            return false;
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
    return true;
}

void LanTransport::Close() {
    qCDebug(LanLog) << "close";
    m_closedByProgram = true;
    m_socket.disconnectFromHost();
    m_socketBuffer.clear();
}

void LanTransport::ReportLost() {
    // A link the program closed itself (Stop inside a wait, for instance) is
    // not lost: the work still waiting on it just ends quietly.
    if (m_linkLost || m_closedByProgram) {
        return;
    }
    m_linkLost = true;
    qCDebug(LanLog) << "link lost";
    m_operator.ShowMessage(kLostConnect);
}

void LanTransport::ReportConnectFail() {
    qCDebug(LanLog) << "connect failed" << m_socket.errorString();
    m_operator.ShowMessage(kConnectFail);
}

void LanTransport::Write(const QString& command) {
    if (!IsConnected()) {
        qCDebug(LanLog) << "not sent" << command;
        ReportLost();
        return;
    }
    qCDebug(LanLog) << "sent" << command;
    m_socket.write(command.toLatin1() + '\n');
    m_socket.flush();
}

QString LanTransport::Read() {
    return ReadWithin(m_timings.readTimeoutMs);
}

QString LanTransport::ReadTimed(double seconds) {
    const double ms = std::isfinite(seconds) ? seconds * 1000.0 : 0.0;
    return ReadWithin(qMax<qint64>(m_timings.readTimeoutMs, static_cast<qint64>(qMin(ms, 1e9))));
}

QString LanTransport::ReadWithin(qint64 timeoutMs) {
    if (!IsConnected()) {
        ReportLost();
        m_socketBuffer.clear();
        return kNoReply;
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
    if (received.isEmpty() && !IsConnected()) {
        ReportLost();
    }
    const QString reply = ReplyText(received);
    qCDebug(LanLog) << "reply" << reply;
    return reply;
}
