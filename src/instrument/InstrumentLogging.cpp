#include "InstrumentLogging.h"

Q_LOGGING_CATEGORY(LinkLog, "zld.link", QtWarningMsg)
Q_LOGGING_CATEGORY(LanLog, "zld.lan", QtWarningMsg)
Q_LOGGING_CATEGORY(SerialLog, "zld.serial", QtWarningMsg)
Q_LOGGING_CATEGORY(GpibLog, "zld.gpib", QtWarningMsg)
