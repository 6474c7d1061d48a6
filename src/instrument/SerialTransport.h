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
// LF; a reply is one line, read up to its LF within its time window (a line
// still without its end when the window closes is no reply).
// Port errors are written to the error log and come back as results: a read
// they spoil is a driver error, a port that vanished is lost. A write to a
// closed port opens it again first.
class SerialTransport : public Transport {
  public:
    // The plain read's window, in seconds, and the pause after a write.
    static constexpr double kReadWindowSeconds = 0.1;
    static constexpr double kPauseAfterWriteMs = 5.0;

    explicit SerialTransport(const Clock& clock);
    ~SerialTransport() override;

    // The device to open (a path like /dev/ttyUSB0, or COMn; "" for none)
    // and its speed.
    void SetPort(const QString& portName, int baudRate);
    void SetErrorLog(const SerialErrorLog& log) { m_errorLog = log; }
    // Called with "-", "\", "|" or "/" while a timed read waits.
    void SetActivityHook(std::function<void(QChar)> hook) { m_activityHook = std::move(hook); }

    Medium LinkMedium() const override { return Medium::Serial; }
    QString Address() const override { return m_portName; }

    // Opens the port anew and puts the load in remote mode ("REM"). A port
    // name of "" opens nothing.
    LinkResult Open() override;
    void Close() override;
    bool IsOpen() const override;

    // Discards what is waiting in the receive buffer (outside a read), sends
    // the command plus LF and pauses 5 ms, also after a failed write.
    LinkResult Write(const QString& command) override;
    LinkResult Read() override;
    LinkResult ReadTimed(double seconds) override;

    int TrappedErrors() const { return m_errorCount; }

  private:
    bool OpenPort();
    void AskForRequestToSend();
    LinkResult ReadWindow(double seconds, bool showActivity);
    LinkResult NotOpen(const QString& reason) const;
    void ShowActivity(double timeOfDay);
    void OnError(QSerialPort::SerialPortError error);

    const Clock& m_clock;
    QSerialPort m_port;
    SerialErrorLog m_errorLog;
    std::function<void(QChar)> m_activityHook;
    QString m_portName;
    int m_baudRate = 115200;
    bool m_quiet = false;  // errors expected right now are not trapped
    bool m_closedByProgram = false;
    bool m_reading = false;
    int m_errorCount = 0;
    QString m_lastError;
    int m_lastSpinner = -1;
};
