#include "PlainEventLoop.h"

#include <QByteArray>
#include <QtGlobal>

void UsePlainEventLoop() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) {
        qputenv("QT_NO_GLIB", "1");
    }
}
