#include "SimulatorCore.h"

#include "PtyLoadServer.h"
#include "TcpLoadServer.h"

SimulatorCore::SimulatorCore(const SimOptions& options, CommandJournal* journal)
    : m_interpreter(options, 0.0), m_journal(journal) {
    m_clock.start();
}

SimulatorCore::~SimulatorCore() = default;

double SimulatorCore::Now() const {
    return static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
}

SessionContext SimulatorCore::Context() {
    return SessionContext{&m_interpreter, m_journal, [this] { return Now(); }};
}

quint16 SimulatorCore::ListenTcp(quint16 port, QString* error) {
    if (!m_tcp) {
        m_tcp = std::make_unique<TcpLoadServer>(Context());
        m_tcp->SetFaults(m_faults);
    }
    return m_tcp->Listen(port, error);
}

QString SimulatorCore::OpenPty(QString* error) {
    if (!m_pty) {
        m_pty = std::make_unique<PtyLoadServer>(Context());
        m_pty->SetFaults(m_faults);
    }
    return m_pty->Open(error);
}

void SimulatorCore::SetFaults(const SimFaults& faults) {
    m_faults = faults;
    if (m_tcp) {
        m_tcp->SetFaults(faults);
    }
    if (m_pty) {
        m_pty->SetFaults(faults);
    }
}

bool SimulatorCore::InputOn() {
    return m_interpreter.InputOn(Now());
}

double SimulatorCore::ChargeDrawnAh() {
    return m_interpreter.ChargeDrawnAh(Now());
}
