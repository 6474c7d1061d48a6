#pragma once

#include <QLoggingCategory>

// One trace category per medium, off by default. Turn one on with
// QT_LOGGING_RULES="zld.lan.debug=true" to see every command and reply;
// "zld.link" traces every failed open, write and read of any medium.
Q_DECLARE_LOGGING_CATEGORY(LinkLog)
Q_DECLARE_LOGGING_CATEGORY(LanLog)
Q_DECLARE_LOGGING_CATEGORY(SerialLog)
Q_DECLARE_LOGGING_CATEGORY(GpibLog)
