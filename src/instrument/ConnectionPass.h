#pragma once

#include <QString>
#include <array>

#include "ConnectionPanel.h"
#include "ConnectionRecord.h"

class LoadLinks;
class StatusGridModel;

// The connection pass that Start runs: opens channel 1 by its medium, probes
// it with "MEAS:VOLT?", shows the verdict in the status grid and sends the
// initial settings to a load that answered. A LAN channel takes its address
// from the panel as typed; a serial channel is asked only while its enable
// box is ticked and its port opened.
class ConnectionPass {
  public:
    ConnectionPass(ConnectionTable& records, const ConnectionPanel& panel, LoadLinks& links,
                   StatusGridModel& grid);

    // Returns how many loads answered.
    int Run();
    // Load `load` (0 for channel 1) answered the last pass.
    bool Answered(int load) const;
    // What channel 1 answered to the probe; "" when it did not answer.
    QString ProbeReply() const { return m_probeReply; }

  private:
    bool OpenForProbe(int record);
    void SendInitialSettings(int record);

    ConnectionTable& m_records;
    const ConnectionPanel& m_panel;
    LoadLinks& m_links;
    StatusGridModel& m_grid;
    std::array<bool, 2> m_answered{{false, false}};
    QString m_probeReply;
};
