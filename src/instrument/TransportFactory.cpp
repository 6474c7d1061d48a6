#include "TransportFactory.h"

#include <QFileInfo>

#include "GpibTransport.h"
#include "SerialErrorLog.h"
#include "SerialPortName.h"
#include "SerialTransport.h"

bool LinkSetup::operator==(const LinkSetup& other) const {
    return medium == other.medium && host == other.host && port == other.port &&
           lanTimings == other.lanTimings && serialDevice == other.serialDevice &&
           baudRate == other.baudRate && errorLogFolder == other.errorLogFolder &&
           gpibAddress == other.gpibAddress;
}

QString LinkSetup::Address() const {
    switch (medium) {
        case Medium::Serial:
            return serialDevice;
        case Medium::Gpib:
            return QString::number(gpibAddress);
        case Medium::Lan:
            break;
    }
    return QStringLiteral("%1:%2").arg(host.trimmed()).arg(port);
}

TransportFactory::TransportFactory(const Clock& clock) : m_clock(clock) {}

LinkSetup TransportFactory::SetupFor(const ConnectionRecord& record) const {
    LinkSetup setup;
    setup.medium = record.medium;
    switch (record.medium) {
        case Medium::Lan:
            setup.host = record.ip;
            setup.port = record.port;
            setup.lanTimings = m_lanTimings;
            break;
        case Medium::Serial:
            setup.serialDevice = SerialPortName(record.comPort, m_settingsPath);
            setup.baudRate = record.baudRate;
            setup.errorLogFolder =
                m_settingsPath.isEmpty() ? QString() : QFileInfo(m_settingsPath).absolutePath();
            break;
        case Medium::Gpib:
            setup.gpibAddress = record.gpibAddress;
            break;
    }
    return setup;
}

std::unique_ptr<Transport> TransportFactory::Build(const LinkSetup& setup) const {
    switch (setup.medium) {
        case Medium::Lan:
            return std::make_unique<LanTransport>(setup.host, setup.port, setup.lanTimings);
        case Medium::Serial: {
            auto serial = std::make_unique<SerialTransport>(m_clock);
            serial->SetPort(setup.serialDevice, setup.baudRate);
            serial->SetErrorLog(SerialErrorLog(setup.errorLogFolder));
            // The hook is looked up at each call, so a later one reaches
            // links built before it.
            serial->SetActivityHook([this](QChar c) {
                if (m_activityHook) {
                    m_activityHook(c);
                }
            });
            return serial;
        }
        case Medium::Gpib:
            return std::make_unique<GpibTransport>(setup.gpibAddress);
    }
    return nullptr;
}
