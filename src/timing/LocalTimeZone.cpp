#include "LocalTimeZone.h"

#include <QFileInfo>
#include <QtGlobal>
#include <ctime>

void ReadLocalTimeZoneOnce() {
    static const char kSystemZone[] = "/etc/localtime";
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QLatin1String(kSystemZone))) {
        return;
    }
    qputenv("TZ", QByteArray(":") + kSystemZone);
    tzset();
}
