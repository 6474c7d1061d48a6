#include "RunChannel.h"

#include "Commands.h"
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
    return m_connection.LoadCheck(0) && m_connection.LoadConnected(0);
}

bool RunChannel::Halted() const {
    return m_state.Halted();
}

void RunChannel::Send(const QString& command) {
    m_connection.WriteCommand(Record(), command);
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

QString RunChannel::Query(const QString& query) {
    if (Halted()) {
        return kNoReply;
    }
    m_connection.WriteCommand(Record(), query);
    CheckLink();
    if (Halted()) {
        return kNoReply;
    }
    const QString reply = m_connection.ReadReply(Record());
    CheckLink();
    return reply;
}

QString RunChannel::ReadTimed(double seconds) {
    if (Halted()) {
        return kNoReply;
    }
    const QString reply = m_connection.ReadReplyTimed(Record(), seconds);
    CheckLink();
    return reply;
}

void RunChannel::LoadOffFirstChannel() {
    // Released whenever the load answered, enable box or not: commands reach
    // a LAN load whatever the box says, so the release must too.
    if (Connected()) {
        Send(Cmd::kLoadOff);
    }
}

void RunChannel::CheckLink() {
    if (!m_state.Running || m_state.LinkLostReported || !m_connection.LinkLost(Record())) {
        return;
    }
    m_state.LinkLostReported = true;
    if (m_onLinkLost) {
        m_onLinkLost();
    }
}
