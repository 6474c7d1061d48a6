#include "SerialTransport.h"

#include <QDeadlineTimer>
#include <cmath>
#include <utility>

#include "Clock.h"
#include "Commands.h"
#include "EventPump.h"
#include "InstrumentLogging.h"

namespace {
// A timed read waits a day at most.
constexpr double kLongestReadSeconds = 86400.0;
// A babbling line cannot make one reply larger than this.
constexpr qsizetype kMaxReplyBytes = 64 * 1024;
// Longest slice a read lets events run before it looks at the clock again.
constexpr qint64 kWaitSliceMs = 10;
const QChar kSpinner[] = {QLatin1Char('-'), QLatin1Char('\\'), QLatin1Char('|'), QLatin1Char('/')};

// Why a port could not be opened, in the words a person acts on.
QString OpenFailure(QSerialPort::SerialPortError error, const QString& systemText) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral("no such device");
        case QSerialPort::PermissionError:
            return QStringLiteral("permission denied, or the port is in use (%1)").arg(systemText);
        default:
            return systemText;
    }
}
}  // namespace

SerialTransport::SerialTransport(const Clock& clock) : m_clock(clock) {
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { OnError(error); });
}

SerialTransport::~SerialTransport() {
    m_quiet = true;
    m_port.close();
}

void SerialTransport::SetPort(const QString& portName, int baudRate) {
    m_portName = portName;
    m_baudRate = baudRate;
}

bool SerialTransport::IsOpen() const {
    return m_port.isOpen();
}

void SerialTransport::OnError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || m_quiet) {
        return;
    }
    ++m_errorCount;
    m_lastError = QStringLiteral("%1 (%2)").arg(m_port.errorString(), m_port.portName());
    qCDebug(SerialLog) << "error" << static_cast<int>(error) << m_lastError;
    m_errorLog.Append(m_clock.Now(), static_cast<int>(error), m_lastError);
    if (error == QSerialPort::ResourceError) {
        // The device went away (a USB adapter pulled out): the port is dead.
        m_port.close();
    }
}

bool SerialTransport::OpenPort() {
    m_port.setPortName(m_portName);
    m_port.setBaudRate(m_baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::HardwareControl);
    const int errorsBefore = m_errorCount;
    qCDebug(SerialLog) << "open" << m_portName << m_baudRate;
    if (!m_port.open(QIODevice::ReadWrite) || m_errorCount != errorsBefore) {
        m_lastError = OpenFailure(m_port.error(), m_port.errorString());
        if (m_port.isOpen()) {
            m_port.close();
        }
        return false;
    }
    m_closedByProgram = false;
    AskForRequestToSend();
    return true;
}

void SerialTransport::AskForRequestToSend() {
    // Under RTS/CTS handshake the driver owns the RTS line and may refuse the
    // request (a pseudo-terminal has no modem lines at all). Either way the
    // line works, so a refusal is no error.
    m_quiet = true;
    if (!m_port.setRequestToSend(true)) {
        qCDebug(SerialLog) << "request-to-send left to the driver";
        m_port.clearError();
    }
    m_quiet = false;
}

LinkResult SerialTransport::Open() {
    if (m_port.isOpen()) {
        m_port.close();
    }
    if (m_portName.isEmpty()) {
        // No port chosen: nothing to open, and nothing left open either.
        return LinkResult::Failure(LinkResult::Kind::OpenFailed,
                                   QStringLiteral("no serial port chosen"));
    }
    if (!OpenPort()) {
        return LinkResult::Failure(LinkResult::Kind::OpenFailed, m_lastError);
    }
    Write(Cmd::kRemoteSerial);
    return LinkResult::Done();
}

void SerialTransport::Close() {
    m_closedByProgram = true;
    if (m_port.isOpen()) {
        qCDebug(SerialLog) << "close" << m_portName;
        m_port.close();
    }
}

LinkResult SerialTransport::NotOpen(const QString& reason) const {
    if (m_closedByProgram) {
        return LinkResult::Failure(LinkResult::Kind::Closed, QStringLiteral("port closed"));
    }
    return LinkResult::Failure(LinkResult::Kind::Lost, reason);
}

LinkResult SerialTransport::Write(const QString& command) {
    const int errorsBefore = m_errorCount;
    if (!m_port.isOpen()) {
        OpenPort();
    }
    LinkResult result;
    if (m_port.isOpen()) {
        qCDebug(SerialLog) << "sent" << command;
        // What waits unread belongs to an earlier reply, unless a read is
        // under way (Stop's "LOAD OFF" sent from inside it).
        if (!m_reading) {
            m_port.clear(QSerialPort::Input);
        }
        m_port.write(command.toLatin1() + '\n');
        m_port.flush();
        if (m_errorCount != errorsBefore) {
            result = m_port.isOpen()
                         ? LinkResult::Failure(LinkResult::Kind::DriverError, m_lastError)
                         : LinkResult::Failure(LinkResult::Kind::Lost, m_lastError);
        }
    } else {
        qCDebug(SerialLog) << "not sent" << command;
        result = LinkResult::Failure(LinkResult::Kind::Lost, m_lastError);
    }
    // The load needs a moment between two commands, even after a failed one.
    m_clock.Delay(kPauseAfterWriteMs);
    return result;
}

LinkResult SerialTransport::Read() {
    return ReadWindow(kReadWindowSeconds, false);
}

LinkResult SerialTransport::ReadTimed(double seconds) {
    return ReadWindow(seconds, true);
}

void SerialTransport::ShowActivity(double timeOfDay) {
    const int index = static_cast<int>(std::llround(timeOfDay) % 4);
    if (index == m_lastSpinner || !m_activityHook) {
        return;
    }
    m_lastSpinner = index;
    m_activityHook(kSpinner[index]);
}

LinkResult SerialTransport::ReadWindow(double seconds, bool showActivity) {
    if (!m_port.isOpen()) {
        return NotOpen(QStringLiteral("port not open"));
    }
    const int errorsBefore = m_errorCount;
    QByteArray buffer;
    QByteArray line;
    const auto take = [&] {
        buffer += m_port.read(qMax<qint64>(0, kMaxReplyBytes - buffer.size()));
        line = TakeLine(&buffer);
        // A line longer than anything the load sends ends where the buffer
        // is full, so a babbling line cannot hold the read.
        if (line.isEmpty() && buffer.size() >= kMaxReplyBytes) {
            line = std::exchange(buffer, QByteArray());
        }
        return !line.isEmpty();
    };

    const double limit = std::isfinite(seconds) ? qBound(0.0, seconds, kLongestReadSeconds) : 0.0;
    const QDeadlineTimer deadline(static_cast<qint64>(std::ceil(limit * 1000.0)), Qt::PreciseTimer);
    EventPump pump;
    pump.WakeOn(&m_port, &QSerialPort::readyRead);
    pump.WakeOn(&m_port, &QSerialPort::errorOccurred);
    m_lastSpinner = -1;
    m_reading = true;
    while (m_port.isOpen() && !take() && !deadline.hasExpired()) {
        if (showActivity) {
            // The spinner follows the clock's seconds; only the deadline
            // decides when the read ends.
            ShowActivity(m_clock.TimeOfDay());
        }
        pump.RunFor(static_cast<int>(qBound<qint64>(1, deadline.remainingTime(), kWaitSliceMs)));
    }
    m_reading = false;
    LinkResult result;
    if (m_errorCount != errorsBefore) {
        result = m_port.isOpen() ? LinkResult::Failure(LinkResult::Kind::DriverError, m_lastError)
                                 : LinkResult::Failure(LinkResult::Kind::Lost, m_lastError);
    } else if (!line.isEmpty()) {
        result = LinkResult::FromReceived(line, QString());
    } else if (buffer.isEmpty() && !m_port.isOpen()) {
        result = NotOpen(QStringLiteral("port closed"));
    } else {
        result = LinkResult::Unfinished(buffer, QString::number(limit) + QStringLiteral(" s"));
    }
    if (result.Ok()) {
        qCDebug(SerialLog) << "reply" << result.reply;
    } else {
        qCDebug(SerialLog) << "no reply:" << result.reason;
    }
    return result;
}
