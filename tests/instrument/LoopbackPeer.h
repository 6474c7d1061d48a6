#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

// A load stand-in on 127.0.0.1 for transport tests: records the lines it
// receives and answers each with whatever the test's responder returns. It
// runs on the test's thread; the transports' waits let it work.
class LoopbackPeer {
  public:
    using Responder = std::function<void(const QByteArray& line, QTcpSocket& socket)>;

    LoopbackPeer();
    quint16 Port() const { return m_server.serverPort(); }
    void SetResponder(Responder responder) { m_responder = std::move(responder); }

    QStringList Lines() const { return m_lines; }
    // Hangs up on the current client.
    void Drop();
    // Stops listening (connection attempts are then refused).
    void StopListening() { m_server.close(); }
    int Connections() const { return m_connections; }

  private:
    void OnNewConnection();
    void OnReadyRead(QTcpSocket* socket);

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_pending;
    QStringList m_lines;
    Responder m_responder;
    int m_connections = 0;
};
