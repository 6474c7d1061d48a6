#include "LoadConnection.h"

#include "ConnectionSettingsFile.h"

namespace {
constexpr int kFirstLoad = 0;
}  // namespace

LoadConnection::LoadConnection(Operator& op, const Clock& clock, QObject* parent)
    : QObject(parent),
      m_factory(clock),
      m_links(op, m_records, m_factory),
      m_pass(m_records, m_panel, m_links, m_statusGrid) {
    m_pass.SetProgressHook([this](const QString& text) { emit connectProgress(text); });
}

LoadConnection::~LoadConnection() = default;

bool LoadConnection::ChannelEnabled(int load) const {
    return load >= 0 && load < ConnectionPanel::kEnableBoxes && m_panel.channelEnabled[load];
}

void LoadConnection::SetActivityHook(std::function<void(QChar)> hook) {
    m_factory.SetActivityHook(std::move(hook));
}

void LoadConnection::SetLanTimings(const LanTimings& timings) {
    m_factory.SetLanTimings(timings);
}

void LoadConnection::LoadConnectionSettings(const QString& settingsPath,
                                            const QString& testFilePath) {
    m_factory.SetSettingsPath(settingsPath);
    ConnectionRecord& record = m_records[LoadDevice(kFirstLoad)];
    ConnectionSettingsFile(settingsPath, testFilePath).ReadInto(record);
    m_panel.Show(record);

    m_loadCount = 1;
    m_statusGrid.SetChannelCount(m_loadCount);
    m_statusGrid.ShowWaiting(kFirstLoad, record, true);
    emit panelChanged();
    emit loadCountChanged(m_loadCount);
}

bool LoadConnection::StoreConnectionSettings(const QString& settingsPath,
                                             const QString& testFilePath, QString* error) {
    m_factory.SetSettingsPath(settingsPath);
    ConnectionRecord& record = m_records[LoadDevice(kFirstLoad)];
    const bool stored =
        ConnectionSettingsFile(settingsPath, testFilePath).Store(m_panel, record, error);
    // After a store the LAN row shows the bare address, after a restore
    // address:port.
    m_statusGrid.ShowWaiting(kFirstLoad, record, false);
    return stored;
}

int LoadConnection::AllConnect() {
    m_loadCount = 0;
    m_loadCount = m_pass.Run();
    emit loadCountChanged(m_loadCount);
    return m_loadCount;
}
