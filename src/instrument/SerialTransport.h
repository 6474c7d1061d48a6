#pragma once

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <functional>

#include "SerialErrorLog.h"
#include "Transport.h"

class Clock;

// The load over a serial line (RS-232 or a USB serial port): 8 data bits, no
// parity, 1 stop bit, RTS/CTS handshake. A command goes out as its text plus
// LF; a reply is whatever arrives until an LF or until its time window ends.
// Port errors never reach the caller: they are written to the error log and
// turn a read into "ErrRec", a write into a lost write, an open into a closed
// port.
class SerialTransport : public Transport {
  public:
    // Read windows, in seconds, and the pauses around them, in milliseconds.
    static constexpr double kReadWindowSeconds = 0.1;
    static constexpr double kSettleMs = 32.0;
    static constexpr double kPauseAfterWriteMs = 5.0;

    explicit SerialTransport(const Clock& clock);
    ~SerialTransport() override;

    // The device to open (a path like /dev/ttyUSB0, or COMn) and its speed.
    void SetPort(const QString& portName, int baudRate);
    QString PortName() const { return m_portName; }
    void SetErrorLog(const SerialErrorLog& log) { m_errorLog = log; }
    // Called with "-", "\", "|" or "/" while a timed read waits.
    void SetActivityHook(std::function<void(QChar)> hook) { m_activityHook = std::move(hook); }

    // Opens the port anew and puts the load in remote mode ("REM").
    void Open() override;
    void Close() override;
    bool IsOpen() const override;

    // Discards what is waiting in the receive buffer, sends the command plus
    // LF and pauses 5 ms. A closed port is opened first.
    void Write(const QString& command) override;
    // "" when the port is not open.
    QString Read() override;
    QString ReadSettled() override;
    QString ReadTimed(double seconds) override;

    int TrappedErrors() const { return m_errorCount; }

  private:
    bool OpenPort();
    void AskForRequestToSend();
    QString ReadWindow(double limitSeconds, double settleMs, bool showActivity);
    void ShowActivity(double timeOfDay);
    void OnError(QSerialPort::SerialPortError error);

    const Clock& m_clock;
    QSerialPort m_port;
    SerialErrorLog m_errorLog;
    std::function<void(QChar)> m_activityHook;
    QString m_portName;
    int m_baudRate = 115200;
    bool m_quiet = false;  // errors expected right now are not trapped
    int m_errorCount = 0;
    int m_lastSpinner = -1;
};
