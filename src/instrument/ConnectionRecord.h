#pragma once

#include <QString>
#include <array>

// How one channel reaches its load. Field names follow the test file keys.
struct ConnectionRecord {
    enum Mode : int { kSerial = 0, kGpib = 1, kLan = 2 };

    int ConnectMode = kLan;
    int ComPort = 1;
    int BaudRate = 115200;
    int GPIBAddress = 5;
    int ID = 0;
    int MSCount = 1;
    int RS232toRS485 = 0;
    int LoadCheck = 0;
    QString IP = QStringLiteral("192.168.16.128");
    int PORT = 4001;
};

constexpr int kConnectionRecordCount = 19;
using ConnectionTable = std::array<ConnectionRecord, kConnectionRecordCount>;
