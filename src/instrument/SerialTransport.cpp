#include "SerialTransport.h"

#include <cmath>

#include "Clock.h"
#include "Commands.h"
#include "EventPump.h"
#include "EventWait.h"
#include "InstrumentLogging.h"

namespace {
constexpr double kSecondsPerDay = 86400.0;
// A babbling line cannot make one reply larger than this.
constexpr qsizetype kMaxReplyBytes = 64 * 1024;
// Longest slice a read lets events run before it looks at the clock again.
constexpr int kWaitSliceMs = 10;
const QChar kSpinner[] = {QLatin1Char('-'), QLatin1Char('\\'), QLatin1Char('|'), QLatin1Char('/')};
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
    const QString description =
        QStringLiteral("%1 (%2)").arg(m_port.errorString(), m_port.portName());
    qCDebug(SerialLog) << "error" << static_cast<int>(error) << description;
    m_errorLog.Append(m_clock.Now(), static_cast<int>(error), description);
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
        if (m_port.isOpen()) {
            m_port.close();
        }
        return false;
    }
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

void SerialTransport::Open() {
    if (m_port.isOpen()) {
        m_port.close();
    }
    if (OpenPort()) {
        Write(Cmd::kRemoteSerial);
    }
}

void SerialTransport::Close() {
    if (m_port.isOpen()) {
        qCDebug(SerialLog) << "close" << m_portName;
        m_port.close();
    }
}

void SerialTransport::Write(const QString& command) {
    if (!m_port.isOpen()) {
        OpenPort();
    }
    if (m_port.isOpen()) {
        qCDebug(SerialLog) << "sent" << command;
        m_port.clear(QSerialPort::Input);
        m_port.write(command.toLatin1() + '\n');
        m_port.flush();
    } else {
        qCDebug(SerialLog) << "not sent" << command;
    }
    // The load needs a moment between two commands, even after a failed one.
    m_clock.Delay(kPauseAfterWriteMs);
}

QString SerialTransport::Read() {
    return ReadWindow(kReadWindowSeconds, 0.0, false);
}

QString SerialTransport::ReadSettled() {
    return ReadWindow(kReadWindowSeconds, kSettleMs, false);
}

QString SerialTransport::ReadTimed(double seconds) {
    return ReadWindow(seconds, 0.0, true);
}

void SerialTransport::ShowActivity(double timeOfDay) {
    const int index = static_cast<int>(std::llround(timeOfDay) % 4);
    if (index == m_lastSpinner || !m_activityHook) {
        return;
    }
    m_lastSpinner = index;
    m_activityHook(kSpinner[index]);
}

QString SerialTransport::ReadWindow(double limitSeconds, double settleMs, bool showActivity) {
    if (!m_port.isOpen()) {
        return QString();
    }
    const int errorsBefore = m_errorCount;
    QByteArray buffer;
    char last = 0;
    const auto take = [&] {
        const QByteArray chunk = m_port.readAll();
        if (chunk.isEmpty()) {
            return;
        }
        last = chunk.back();
        buffer += chunk.left(qMax<qsizetype>(0, kMaxReplyBytes - buffer.size()));
    };

    double t0 = m_clock.TimeOfDay();
    double limit = std::isfinite(limitSeconds) ? qBound(0.0, limitSeconds, kSecondsPerDay) : 0.0;
    WaitWithEvents(settleMs);
    EventPump pump;
    pump.WakeOn(&m_port, &QSerialPort::readyRead);
    pump.WakeOn(&m_port, &QSerialPort::errorOccurred);
    m_lastSpinner = -1;
    bool timedOut = false;
    while (last != '\n' && m_port.isOpen()) {
        const double now = m_clock.TimeOfDay();
        if (now < t0) {
            // Past midnight: what was waited before it counts against the limit.
            limit -= kSecondsPerDay - t0;
            t0 = 0.0;
        }
        const double left = limit - (now - t0);
        if (left <= 0) {
            timedOut = true;
            break;
        }
        take();
        if (last == '\n') {
            break;
        }
        if (showActivity) {
            ShowActivity(now);
        }
        pump.RunFor(qBound(1, static_cast<int>(std::ceil(left * 1000.0)), kWaitSliceMs));
    }
    if (timedOut && m_port.isOpen()) {
        take();
    }
    if (m_errorCount != errorsBefore) {
        qCDebug(SerialLog) << "reply lost to a port error";
        return kNoReply;
    }
    const QString reply = ReplyText(buffer);
    qCDebug(SerialLog) << "reply" << reply;
    return reply;
}
