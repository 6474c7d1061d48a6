#include "ConnectionPass.h"

#include <QStringList>

#include "Commands.h"
#include "LoadLinks.h"
#include "StatusGridModel.h"

namespace {
constexpr int kFirstLoad = 0;
constexpr double kIdleResistance = 12500.0;
constexpr double kLoadOnVoltage = 0.8;
}  // namespace

ConnectionPass::ConnectionPass(ConnectionTable& records, const ConnectionPanel& panel,
                               LoadLinks& links, StatusGridModel& grid)
    : m_records(records), m_panel(panel), m_links(links), m_grid(grid) {}

bool ConnectionPass::Answered(int load) const {
    return load >= 0 && load < static_cast<int>(m_answered.size()) && m_answered[load];
}

bool ConnectionPass::OpenForProbe(int record) {
    ConnectionRecord& rec = m_records[record];
    switch (rec.medium) {
        case Medium::Lan:
            rec.ip = m_panel.TypedIp();
            rec.port = ConnectionPanel::TypedInteger(m_panel.port);
            m_links.Open(record);
            return true;
        case Medium::Gpib:
            m_links.Open(record);
            return true;
        case Medium::Serial:
            if (!m_panel.channelEnabled[kFirstLoad]) {
                return false;
            }
            m_links.Open(record);
            return m_links.IsOpen(record);
    }
    return false;
}

int ConnectionPass::Run() {
    int answered = 0;
    m_probeReply.clear();
    const int record = RecordOfLoad(kFirstLoad);
    if (!OpenForProbe(record)) {
        // Nothing could be asked: no load is known to answer, and the row
        // keeps the status it shows.
        m_answered[kFirstLoad] = false;
        return answered;
    }
    m_links.Write(record, Cmd::kProbeVoltage);
    // Any reply at all, even one that is no number, means a load answered.
    const LinkResult probe = m_links.Read(record);
    const bool replied = probe.Ok();
    m_answered[kFirstLoad] = replied;
    if (replied) {
        m_probeReply = probe.reply;
        if (m_records[record].medium == Medium::Lan) {
            m_grid.SetAddress(kFirstLoad, m_panel.ip);
        }
        m_grid.SetStatus(kFirstLoad, StatusGridModel::kConnectOk);
        answered += 1;
        SendInitialSettings(record);
    } else {
        m_grid.SetStatus(kFirstLoad, StatusGridModel::kConnectFail);
    }
    return answered;
}

void ConnectionPass::SendInitialSettings(int record) {
    const bool lan = m_records[record].medium == Medium::Lan;
    // Each mode's two levels are set to a harmless value before anything else
    // is sent; the linear mode exists only on loads reached over the LAN.
    QStringList commands = {
        Cmd::WithValue(Cmd::kCvB, 0),
        Cmd::WithValue(Cmd::kCvA, 0),
        Cmd::WithValue(Cmd::kCrA, kIdleResistance),
        Cmd::WithValue(Cmd::kCrB, kIdleResistance),
        Cmd::WithValue(Cmd::kCpB, 0),
        Cmd::WithValue(Cmd::kCpA, 0),
        Cmd::WithValue(Cmd::kCcB, 0),
        Cmd::WithValue(Cmd::kCcA, 0),
    };
    if (lan) {
        commands << Cmd::WithValue(Cmd::kLinB, 0) << Cmd::WithValue(Cmd::kLinA, 0);
    }
    commands << Cmd::kCcAuto << Cmd::WithValue(Cmd::kLoadOnVoltage, kLoadOnVoltage);
    for (const QString& command : commands) {
        if (m_links.LinkLost(record)) {
            return;
        }
        m_links.Write(record, command);
    }
}
