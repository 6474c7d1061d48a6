#pragma once

#include <QString>
#include <functional>

class LoadConnection;
struct LinkResult;
struct RunState;

// What a read that brought no reply shows wherever a reply would: in the
// phase grid and in the data log.
inline const QString kNoReplyText = QStringLiteral("ErrRec");

// Channel 1 as a run talks to it. Once Stop or Pause has been requested no
// further command or query goes out (only the release of the load does), so a
// click that lands inside a wait cannot be followed by stray commands. A link
// found lost is reported once per run through the lost-link callback.
class RunChannel {
  public:
    RunChannel(LoadConnection& connection, RunState& state);

    void SetLinkLostHandler(std::function<void()> handler) { m_onLinkLost = std::move(handler); }

    // The load answered at the last connection pass.
    bool Connected() const;
    // ... and its enable box is ticked.
    bool TickedAndConnected() const;

    // Sends a command unless the run is stopping or paused.
    void Write(const QString& command);
    // Sends a query and reads the reply; kNoReplyText when none came, and
    // without sending when the run is stopping or paused.
    QString Query(const QString& query);
    // Reads the result line of a timed load test, waiting up to `seconds`.
    QString ReadTimed(double seconds);

    // "LOAD OFF" to the first load when it answered the connection pass.
    void LoadOffFirstChannel();

    bool Halted() const;
    // Whether the last input command sent was "LOAD ON".
    bool InputOn() const { return m_inputOn; }

  private:
    int Record() const;
    void CheckLink();
    void Send(const QString& command);
    static QString Shown(const LinkResult& reply);

    LoadConnection& m_connection;
    RunState& m_state;
    std::function<void()> m_onLinkLost;
    bool m_inputOn = false;
};
