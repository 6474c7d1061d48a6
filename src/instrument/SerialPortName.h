#pragma once

#include <QString>

// The device that COM port `comPort` stands for. The settings file may map a
// port in its section "Serial Ports" (COM1=/dev/ttyUSB0); otherwise COM n is
// /dev/ttyS<n-1> here and "COMn" on Windows. Returns "" for port numbers
// below 1, which name no port.
QString SerialPortName(int comPort, const QString& settingsPath);
