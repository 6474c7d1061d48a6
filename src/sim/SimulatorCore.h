#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>

#include "CommandInterpreter.h"
#include "SessionContext.h"
#include "SimulatedLoad.h"

class CommandJournal;
class PtyLoadServer;
class TcpLoadServer;

// The load and its servers, living on the simulator's own thread. Created on
// the caller's thread and moved; the servers are made on first use, on the
// simulator's thread, so that their sockets belong to it.
class SimulatorCore : public QObject {
  public:
    SimulatorCore(const SimOptions& options, CommandJournal* journal);
    ~SimulatorCore() override;

    quint16 ListenTcp(quint16 port, QString* error);
    QString OpenPty(QString* error);
    void SetFaults(const SimFaults& faults);
    bool InputOn();
    double ChargeDrawnAh();

  private:
    double Now() const;
    SessionContext Context();

    QElapsedTimer m_clock;
    CommandInterpreter m_interpreter;
    CommandJournal* m_journal;
    SimFaults m_faults;
    std::unique_ptr<TcpLoadServer> m_tcp;
    std::unique_ptr<PtyLoadServer> m_pty;
};
