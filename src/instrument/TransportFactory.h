#pragma once

#include <QChar>
#include <QString>
#include <functional>
#include <memory>

#include "ConnectionRecord.h"
#include "LanTransport.h"

class Clock;
class Transport;

// Everything a transport is built from: the medium and where on it the load
// is. Two equal setups make the same transport.
struct LinkSetup {
    Medium medium = Medium::Lan;
    QString host;  // LAN
    int port = 0;
    LanTimings lanTimings;
    QString serialDevice;  // serial; "" when no port is chosen
    int baudRate = 0;
    QString errorLogFolder;
    int gpibAddress = 0;  // GPIB

    // Where the load is, as its transport names it: "127.0.0.1:4001",
    // "/dev/ttyUSB0", "5".
    QString Address() const;

    bool operator==(const LinkSetup& other) const;
    bool operator!=(const LinkSetup& other) const { return !(*this == other); }
};

// Builds the transport a connection record asks for. Adding a medium means a
// Medium value, a Transport subclass and a case here.
class TransportFactory {
  public:
    explicit TransportFactory(const Clock& clock);

    // The settings file: it maps COM ports to devices, and its folder holds
    // the serial error log.
    void SetSettingsPath(const QString& settingsPath) { m_settingsPath = settingsPath; }
    QString SettingsPath() const { return m_settingsPath; }
    // How long LAN links wait (the load's defaults unless changed); applies
    // to links opened afterwards.
    void SetLanTimings(const LanTimings& timings) { m_lanTimings = timings; }
    // Called with an activity character while a long timed read waits; applies
    // at once to every link built here.
    void SetActivityHook(std::function<void(QChar)> hook) { m_activityHook = std::move(hook); }

    // What `record` asks for now; a serial port's device is looked up in the
    // settings file each time.
    LinkSetup SetupFor(const ConnectionRecord& record) const;
    std::unique_ptr<Transport> Build(const LinkSetup& setup) const;

  private:
    const Clock& m_clock;
    QString m_settingsPath;
    LanTimings m_lanTimings;
    std::function<void(QChar)> m_activityHook;
};
