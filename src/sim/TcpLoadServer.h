#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include "SessionContext.h"
#include "SimulatedLoad.h"

class LoadSession;

// Serves the load on TCP, on the loopback address only. One client at a time:
// a new connection replaces the old one, since the program closes and
// reconnects at every connection pass and the close may arrive after the new
// connection.
class TcpLoadServer : public QObject {
  public:
    explicit TcpLoadServer(const SessionContext& context, QObject* parent = nullptr);

    // Returns the port listened on, or 0 with the reason in `error`.
    quint16 Listen(quint16 port, QString* error);
    void SetFaults(const SimFaults& faults);

  private:
    void Accept();

    SessionContext m_context;
    SimFaults m_faults;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QPointer<LoadSession> m_session;
};
