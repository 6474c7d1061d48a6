#pragma once

#include <QDeadlineTimer>
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
// found lost, by its transport or by the run (DeclareLost), is reported once
// per run through the lost-link callback.
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
    // Sends a query and reads the reply, waiting no longer than `deadline`.
    // Nothing is sent when the run is stopping or paused (the result is then
    // Closed) or the deadline has passed (TimedOut). `whileTheLoadAnswers`,
    // when given, runs once the query is on its way, before the reply is read.
    LinkResult Query(const QString& query,
                     const QDeadlineTimer& deadline = QDeadlineTimer(QDeadlineTimer::Forever),
                     const std::function<void()>& whileTheLoadAnswers = {});
    // What a read's result shows in the phase grid and the log: the reply, or
    // kNoReplyText.
    static QString Shown(const LinkResult& reply);
    // Reads the result line of a timed load test, waiting up to `seconds`.
    QString ReadTimed(double seconds);

    // "LOAD OFF" to the first load when it answered the connection pass.
    void LoadOffFirstChannel();
    // The load is there no more although its link stays up: `what` says why.
    // Reported as a lost link.
    void DeclareLost(const QString& what);

    bool Halted() const;
    // Whether the last input command sent was "LOAD ON".
    bool InputOn() const { return m_inputOn; }

  private:
    int Record() const;
    void CheckLink();
    void Send(const QString& command);

    LoadConnection& m_connection;
    RunState& m_state;
    std::function<void()> m_onLinkLost;
    bool m_inputOn = false;
};
