#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "ConnectionRecord.h"
#include "LanTransport.h"
#include "StatusGridModel.h"

class Clock;
class Operator;
class Transport;

// What the Connection Setup panel shows, as texts and flags; the window binds
// its controls to it.
struct ConnectionPanel {
    enum Medium : int { kNone = -1, kLan = 0, kSerial = 1, kGpib = 2 };  // Option1 index
    int selectedMedium = kLan;
    std::array<bool, 8> loadCheck{{true, false, false, false, false, false, false, false}};
    QString ip = QStringLiteral("192.168.16.128");  // txtIP
    QString port = QStringLiteral("4001");          // txtPort
    QString comPort = QStringLiteral("01");         // LoadComPortCombo(0)
    QString baudRate = QStringLiteral("115200");    // LoadBaudRateCombo(0)
    QString gpibAddress = QStringLiteral("05");     // LoadComPortCombo(1)
    bool rs485 = false;                             // PS485Check
    QString rs485Id = QStringLiteral("001");        // PS485IDText
    QString msCount = QStringLiteral("1");          // MSCountText
};

// The load channels: their connection records, the panel, the status grid,
// the transports behind each record and the connection pass. The system
// serves channel 1 (record 1); the tables are sized for more.
class LoadConnection : public QObject {
    Q_OBJECT

  public:
    LoadConnection(Operator& op, const Clock& clock, QObject* parent = nullptr);
    ~LoadConnection() override;

    ConnectionTable& Records() { return m_records; }
    const ConnectionTable& Records() const { return m_records; }
    ConnectionPanel& Panel() { return m_panel; }
    StatusGridModel& StatusGrid() { return m_statusGrid; }

    // Channel n (1-based) uses record LoadDevice(n - 1) = n.
    int LoadDevice(int load) const { return load + 1; }
    bool LoadConnected(int load) const;
    bool LoadCheck(int load) const;
    int LoadCount() const { return m_loadCount; }
    // The load's answer to the last connection pass's probe "MEAS:VOLT?": the
    // voltage at its input; "" when no load answered.
    QString ProbeReply() const { return m_probeReply; }

    // Restores channel 1's record and the panel: "ConnectMode" from the
    // settings file, the rest from the test file's "Load1 Option" section.
    void LoadConnectionSettings(const QString& settingsPath, const QString& testFilePath);
    // Takes the panel into channel 1's record and writes the keys. Returns
    // false with the reason when a file cannot be written.
    bool StoreConnectionSettings(const QString& settingsPath, const QString& testFilePath,
                                 QString* error = nullptr);
    // The connection pass: opens and probes channel 1, sends the initial
    // settings to a load that answers. Returns LoadCount().
    int AllConnect();

    // Channel operations by record index.
    void ProConnect(int record);
    void CloseChannel(int record);
    void WriteCommand(int record, const QString& text);
    QString ReadReply(int record);
    QString ReadReplySettled(int record);
    QString ReadReplyTimed(int record, double seconds);
    // True when the record's link was found gone since it was last opened.
    bool LinkLost(int record) const;

    // Called with an activity character while a long timed read waits.
    void SetActivityHook(std::function<void(QChar)> hook);

    // The settings file (TRIO.INI): it maps COM ports to devices, and its
    // folder holds the serial error log. Set by LoadConnectionSettings and
    // StoreConnectionSettings too.
    void SetSettingsPath(const QString& settingsPath) { m_settingsPath = settingsPath; }
    QString SettingsPath() const { return m_settingsPath; }
    // How long LAN links wait (the load's defaults unless changed).
    void SetLanTimings(const LanTimings& timings);

  signals:
    void loadCountChanged(int count);
    void panelChanged();

  private:
    Transport* TransportFor(int record);
    std::unique_ptr<Transport> CreateTransport(int medium) const;
    void ConfigureTransport(int record);
    bool ValidRecord(int record) const { return record >= 0 && record < kConnectionRecordCount; }
    void ShowChannelRow(const ConnectionRecord& record, bool withPort);
    void SendInitialSettings(int record);

    Operator& m_operator;
    const Clock& m_clock;
    ConnectionTable m_records;
    ConnectionPanel m_panel;
    StatusGridModel m_statusGrid;
    std::array<bool, 2> m_loadConnected{{false, false}};
    int m_loadCount = 0;
    QString m_probeReply;
    std::function<void(QChar)> m_activityHook;
    // Transports are created on first use from the record's medium.
    std::array<std::unique_ptr<Transport>, kConnectionRecordCount> m_transports;
    std::array<int, kConnectionRecordCount> m_transportMedium{};
    QString m_settingsPath;
    LanTimings m_lanTimings;
};
