#include "RunChannel.h"

#include "Commands.h"
#include "LinkResult.h"
#include "LoadConnection.h"
#include "RunState.h"

RunChannel::RunChannel(LoadConnection& connection, RunState& state)
    : m_connection(connection), m_state(state) {}

int RunChannel::Record() const {
    return m_connection.LoadDevice(0);
}

bool RunChannel::Connected() const {
    return m_connection.LoadConnected(0);
}

bool RunChannel::TickedAndConnected() const {
    return m_connection.ChannelEnabled(0) && m_connection.LoadConnected(0);
}

bool RunChannel::Halted() const {
    return m_state.Halted();
}

void RunChannel::Send(const QString& command) {
    m_connection.Links().Write(Record(), command);
    if (command == Cmd::kLoadOn) {
        m_inputOn = true;
    } else if (command == Cmd::kLoadOff) {
        m_inputOn = false;
    }
    CheckLink();
}

void RunChannel::Write(const QString& command) {
    if (!Halted()) {
        Send(command);
    }
}

QString RunChannel::Shown(const LinkResult& reply) {
    return reply.Ok() ? reply.reply : kNoReplyText;
}

LinkResult RunChannel::Query(const QString& query, const QDeadlineTimer& deadline,
                             const std::function<void()>& whileTheLoadAnswers) {
    const auto halted = [] {
        return LinkResult::Failure(LinkResult::Kind::Closed, QStringLiteral("the run is halted"));
    };
    if (Halted()) {
        return halted();
    }
    if (deadline.hasExpired()) {
        return LinkResult::Failure(LinkResult::Kind::TimedOut, QStringLiteral("no time left"));
    }
    m_connection.Links().Write(Record(), query);
    CheckLink();
    if (Halted()) {
        return halted();
    }
    if (whileTheLoadAnswers) {
        whileTheLoadAnswers();
    }
    const LinkResult reply = m_connection.Links().ReadBefore(Record(), deadline);
    CheckLink();
    return reply;
}

QString RunChannel::ReadTimed(double seconds) {
    if (Halted()) {
        return kNoReplyText;
    }
    const LinkResult reply = m_connection.Links().ReadTimed(Record(), seconds);
    CheckLink();
    return Shown(reply);
}

void RunChannel::LoadOffFirstChannel() {
    // Released whenever the load answered, enable box or not: commands reach
    // a LAN load whatever the box says, so the release must too.
    if (Connected()) {
        Send(Cmd::kLoadOff);
    }
}

void RunChannel::DeclareLost(const QString& what) {
    m_connection.Links().MarkLost(Record(), what);
    CheckLink();
}

void RunChannel::CheckLink() {
    if (!m_state.Running || m_state.LinkLostReported || !m_connection.Links().LinkLost(Record())) {
        return;
    }
    m_state.LinkLostReported = true;
    if (m_onLinkLost) {
        m_onLinkLost();
    }
}
