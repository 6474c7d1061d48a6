#pragma once

#include <QString>
#include <array>
#include <functional>

#include "ConnectionPanel.h"
#include "ConnectionRecord.h"
#include "LinkResult.h"

class LoadLinks;
class StatusGridModel;

// The connection pass that Start runs: opens channel 1 by its medium, probes
// it with "MEAS:VOLT?", shows the verdict in the status grid and sends the
// initial settings to a load that answered. A LAN channel takes its address
// from the panel as typed (and is not dialled when that names no host); a
// serial channel is asked only while its enable box is ticked.
//
// Nothing is told to the operator here: when no load answers, Failure() says
// where the load was looked for and why it did not answer, for the one
// message that reports it.
class ConnectionPass {
  public:
    ConnectionPass(ConnectionTable& records, const ConnectionPanel& panel, LoadLinks& links,
                   StatusGridModel& grid);

    // Called with "Connecting to 127.0.0.1:4001..." before a link is opened,
    // and with "" when the pass is over.
    void SetProgressHook(std::function<void(const QString&)> hook) { m_progress = std::move(hook); }

    // Returns how many loads answered.
    int Run();
    // Load `load` (0 for channel 1) answered the last pass.
    bool Answered(int load) const;
    // What channel 1 answered to the probe; "" when it did not answer.
    QString ProbeReply() const { return m_probeReply; }
    // Why channel 1 did not answer the last pass, on one line: "Channel 1,
    // LAN 127.0.0.1:4001: connection refused"; "" when it answered.
    QString Failure() const { return m_failure; }

  private:
    // Opens the record's link for the probe; the failure, if any.
    LinkResult OpenForProbe(int record);
    void SendInitialSettings(int record);
    void Progress(const QString& text) const;
    bool Unticked(int record) const;

    ConnectionTable& m_records;
    const ConnectionPanel& m_panel;
    LoadLinks& m_links;
    StatusGridModel& m_grid;
    std::function<void(const QString&)> m_progress;
    std::array<bool, 2> m_answered{{false, false}};
    QString m_probeReply;
    QString m_failure;
};
