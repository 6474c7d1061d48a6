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

bool ConnectionPass::Unticked(int record) const {
    // Only a serial channel is left alone while its box is not ticked.
    return m_records[record].medium == Medium::Serial && !m_panel.channelEnabled[kFirstLoad];
}

void ConnectionPass::Progress(const QString& text) const {
    if (m_progress) {
        m_progress(text);
    }
}

LinkResult ConnectionPass::OpenForProbe(int record) {
    ConnectionRecord& rec = m_records[record];
    switch (rec.medium) {
        case Medium::Lan: {
            rec.ip = m_panel.TypedIp().trimmed();
            rec.port = ConnectionPanel::TypedInteger(m_panel.port);
            const QString problem = m_panel.IpProblem();
            if (!problem.isEmpty()) {
                return LinkResult::Failure(LinkResult::Kind::OpenFailed, problem);
            }
            break;
        }
        case Medium::Serial:
            if (Unticked(record)) {
                return LinkResult::Failure(
                    LinkResult::Kind::OpenFailed,
                    QStringLiteral("the channel is not ticked in the connection setup"));
            }
            break;
        case Medium::Gpib:
            break;
    }
    Progress(QStringLiteral("Connecting to %1...").arg(m_links.Address(record)));
    return m_links.Open(record);
}

int ConnectionPass::Run() {
    int answered = 0;
    m_probeReply.clear();
    m_failure.clear();
    m_answered[kFirstLoad] = false;
    const int record = RecordOfLoad(kFirstLoad);
    LinkResult result = OpenForProbe(record);
    if (result.Ok()) {
        result = m_links.Write(record, Cmd::kProbeVoltage);
    }
    // Any reply at all, even one that is no number, means a load answered.
    if (result.Ok()) {
        result = m_links.Read(record);
    }
    Progress(QString());
    if (!result.Ok()) {
        m_failure = QStringLiteral("%1: %2").arg(m_links.Place(record), result.reason);
        // A channel that was not asked keeps the status it shows.
        if (!Unticked(record)) {
            m_grid.SetStatus(kFirstLoad, StatusGridModel::kConnectFail);
        }
        return answered;
    }
    m_answered[kFirstLoad] = true;
    m_links.MarkAnswered(record);
    m_probeReply = result.reply;
    if (m_records[record].medium == Medium::Lan) {
        m_grid.SetAddress(kFirstLoad, m_panel.ip);
    }
    m_grid.SetStatus(kFirstLoad, StatusGridModel::kConnectOk);
    answered += 1;
    SendInitialSettings(record);
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
