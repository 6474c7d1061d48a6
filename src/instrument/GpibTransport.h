#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "GpibDriver.h"
#include "Transport.h"

class GpibWorker;

// The load on the GPIB bus. Commands go out unchanged (EOI marks the last
// byte); a reply is read up to the byte that came with EOI, or its line end,
// in as many driver reads as it takes. Every driver call waits at most 30 ms,
// so a command sent while a read waits goes out within one such slice. A
// device handle of 0 means no device and never reaches the driver; a failed
// open leaves -1, on which the driver reports errors.
class GpibTransport : public Transport {
  public:
    explicit GpibTransport(int primaryAddress);
    ~GpibTransport() override;

    int Handle() const { return m_handle; }

    Medium LinkMedium() const override { return Medium::Gpib; }
    QString Address() const override { return QString::number(m_address); }

    // Takes the device online (one retry when the driver refuses) and puts it
    // in remote mode ("REMOTE"). Address 0 opens nothing.
    LinkResult Open() override;
    // Takes the device offline.
    void Close() override;
    bool IsOpen() const override { return m_handle != 0; }

    LinkResult Write(const QString& command) override;
    LinkResult Read() override;
    // A plain read that gives up at `deadline` too, and then leaves out the
    // clearing read after silence.
    LinkResult ReadBefore(const QDeadlineTimer& deadline) override;
    // A timed test's result line: waits up to `seconds`, at least as long as
    // a plain read, so a test longer than the device time-out still delivers
    // its verdict.
    LinkResult ReadTimed(double seconds) override;

  private:
    struct Slice {
        QByteArray bytes;
        GpibDriver::Transfer done;
    };

    LinkResult ReadUntil(double seconds,
                         const QDeadlineTimer& cutOff = QDeadlineTimer(QDeadlineTimer::Forever));
    // One driver read on the worker thread.
    Slice ReadSlice(int handle);
    LinkResult NotOpen() const;
    bool EnsureDriver(QString* error);
    int ConnectDevice();

    std::unique_ptr<GpibDriver> m_driver;
    std::unique_ptr<GpibWorker> m_worker;
    int m_address = 0;
    int m_handle = 0;
    bool m_closedByProgram = false;
};
