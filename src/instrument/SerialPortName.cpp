#include "SerialPortName.h"

#include "IniFile.h"

namespace {
const QString kSerialPortsSection = QStringLiteral("Serial Ports");
}

QString SerialPortName(int comPort, const QString& settingsPath) {
    if (comPort < 1) {
        return QString();
    }
    const QString key = QStringLiteral("COM%1").arg(comPort);
    if (!settingsPath.isEmpty()) {
        const QString mapped = ReadSetting(settingsPath, kSerialPortsSection, key, QString());
        if (!mapped.isEmpty()) {
            return mapped;
        }
    }
#ifdef Q_OS_WIN
    return key;
#else
    return QStringLiteral("/dev/ttyS%1").arg(comPort - 1);
#endif
}
