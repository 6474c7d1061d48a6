#pragma once

#include <QString>
#include <array>

#include "Medium.h"

// How one channel reaches its load. The settings file holds each field under
// its own key (ConnectionSettingsFile names them).
struct ConnectionRecord {
    Medium medium = Medium::Lan;
    int comPort = 1;  // serial port number; 0 = none
    int baudRate = 115200;
    int gpibAddress = 5;  // GPIB primary address; 0 = none
    int rs485Id = 0;      // unit address on an RS-485 bus (kept, not used for loads)
    int unitCount = 1;    // units on the RS-485 bus (kept, not used for loads)
    int viaRs485 = 0;     // 1 = through an RS-232-to-RS-485 converter (kept, not used)
    int enabled = 0;      // the channel's enable box at the last store (1 = ticked)
    QString ip = QStringLiteral("192.168.16.128");
    int port = 4001;
};

// Record 0 serves no channel; channel n (1-based) uses record n. The system
// serves channel 1; the table is sized for more.
constexpr int kConnectionRecordCount = 19;
using ConnectionTable = std::array<ConnectionRecord, kConnectionRecordCount>;

// The record of load `load` (0 for channel 1).
constexpr int RecordOfLoad(int load) {
    return load + 1;
}
