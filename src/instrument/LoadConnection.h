#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <functional>

#include "ConnectionPanel.h"
#include "ConnectionPass.h"
#include "ConnectionRecord.h"
#include "LoadLinks.h"
#include "StatusGridModel.h"
#include "TransportFactory.h"

class Clock;
class Operator;

// Channel 1's connection as the window and the run see it. It owns the parts
// and ties them together: the connection records, the panel's entries, the
// status grid, the links built from the records, and the connection pass.
// The settings are restored from and stored to ConnectionSettingsFile.
class LoadConnection : public QObject {
    Q_OBJECT

  public:
    LoadConnection(Operator& op, const Clock& clock, QObject* parent = nullptr);
    ~LoadConnection() override;

    ConnectionTable& Records() { return m_records; }
    const ConnectionTable& Records() const { return m_records; }
    ConnectionPanel& Panel() { return m_panel; }
    StatusGridModel& StatusGrid() { return m_statusGrid; }
    LoadLinks& Links() { return m_links; }

    // Channel n (1-based) uses record LoadDevice(n - 1) = n.
    int LoadDevice(int load) const { return RecordOfLoad(load); }
    // The load answered the last connection pass.
    bool LoadConnected(int load) const { return m_pass.Answered(load); }
    // The load's channel is in use: its enable box is ticked.
    bool ChannelEnabled(int load) const;
    // After a restore the number of channels configured, after a connection
    // pass the number that answered.
    int LoadCount() const { return m_loadCount; }
    // The load's answer to the last connection pass's probe "MEAS:VOLT?": the
    // voltage at its input; "" when no load answered.
    QString ProbeReply() const { return m_pass.ProbeReply(); }
    // Why no load answered the last connection pass, on one line: "Channel 1,
    // LAN 127.0.0.1:4001: connection refused"; "" when one did.
    QString ConnectFailure() const { return m_pass.Failure(); }

    // Restores channel 1's record and the panel from the settings file and
    // the test file.
    void LoadConnectionSettings(const QString& settingsPath, const QString& testFilePath);
    // Takes the panel into channel 1's record and writes the keys. Returns
    // false with the reason when a file cannot be written.
    bool StoreConnectionSettings(const QString& settingsPath, const QString& testFilePath,
                                 QString* error = nullptr);
    // The connection pass. Returns LoadCount().
    int AllConnect();
    void CloseChannel(int record) { m_links.Close(record); }

    // Called with an activity character while a long timed read waits.
    void SetActivityHook(std::function<void(QChar)> hook);
    // How long LAN links wait (the load's defaults unless changed).
    void SetLanTimings(const LanTimings& timings);
    // The settings file last restored from or stored to.
    QString SettingsPath() const { return m_factory.SettingsPath(); }

  signals:
    void loadCountChanged(int count);
    void panelChanged();
    // The connection pass is connecting: "Connecting to 127.0.0.1:4001...";
    // "" once it is over.
    void connectProgress(const QString& text);

  private:
    ConnectionTable m_records;
    ConnectionPanel m_panel;
    StatusGridModel m_statusGrid;
    // Declared before the links: the transports they hold call back into it.
    TransportFactory m_factory;
    LoadLinks m_links;
    ConnectionPass m_pass;
    int m_loadCount = 0;
};
