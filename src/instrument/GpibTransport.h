#pragma once

#include <QString>
#include <memory>

#include "Transport.h"

class GpibDriver;
class GpibWorker;
class Operator;

// The load on the GPIB bus. Commands go out unchanged (EOI marks the last
// byte); a reply is what one driver read delivers. A device handle of 0 means
// no device and never reaches the driver; a failed open leaves -1, on which
// every read gives "ErrRec".
class GpibTransport : public Transport {
  public:
    explicit GpibTransport(Operator& op);
    ~GpibTransport() override;

    void SetAddress(int primaryAddress) { m_address = primaryAddress; }
    int Address() const { return m_address; }
    int Handle() const { return m_handle; }

    // Takes the device online (one retry when the driver refuses) and puts it
    // in remote mode ("REMOTE"). Address 0 opens nothing.
    void Open() override;
    // Takes the device offline.
    void Close() override;
    bool IsOpen() const override { return m_handle != 0; }

    void Write(const QString& command) override;
    QString Read() override;
    // A timed test's result line: reads again while nothing comes, until
    // `seconds` have passed, so a test longer than the device time-out still
    // delivers its verdict.
    QString ReadTimed(double seconds) override;

  private:
    QString ReadUntil(double seconds);
    bool EnsureDriver();
    int ConnectDevice();

    Operator& m_operator;
    std::unique_ptr<GpibDriver> m_driver;
    std::unique_ptr<GpibWorker> m_worker;
    int m_address = 0;
    int m_handle = 0;
};
