#pragma once

#include <QString>
#include <memory>

#include "Transport.h"

class GpibDriver;
class GpibWorker;

// The load on the GPIB bus. Commands go out unchanged (EOI marks the last
// byte); a reply is what one driver read delivers. A device handle of 0 means
// no device and never reaches the driver; a failed open leaves -1, on which
// every read times out.
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
    // A timed test's result line: reads again while nothing comes, until
    // `seconds` have passed, so a test longer than the device time-out still
    // delivers its verdict.
    LinkResult ReadTimed(double seconds) override;

  private:
    LinkResult ReadUntil(double seconds);
    LinkResult NotOpen() const;
    bool EnsureDriver(QString* error);
    int ConnectDevice();

    std::unique_ptr<GpibDriver> m_driver;
    std::unique_ptr<GpibWorker> m_worker;
    int m_address = 0;
    int m_handle = 0;
    bool m_closedByProgram = false;
};
