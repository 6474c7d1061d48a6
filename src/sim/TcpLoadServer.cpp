#include "TcpLoadServer.h"

#include <QHostAddress>

#include "LoadSession.h"

TcpLoadServer::TcpLoadServer(const SessionContext& context, QObject* parent)
    : QObject(parent), m_context(context) {
    connect(&m_server, &QTcpServer::newConnection, this, &TcpLoadServer::Accept);
}

quint16 TcpLoadServer::Listen(quint16 port, QString* error) {
    if (m_server.isListening()) {
        m_server.close();
    }
    if (!m_server.listen(QHostAddress::LocalHost, port)) {
        if (error) {
            *error = QStringLiteral("Cannot listen on 127.0.0.1:%1: %2")
                         .arg(port)
                         .arg(m_server.errorString());
        }
        return 0;
    }
    return m_server.serverPort();
}

void TcpLoadServer::SetFaults(const SimFaults& faults) {
    m_faults = faults;
    if (m_session) {
        m_session->SetFaults(faults);
    }
}

void TcpLoadServer::Accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_client) {
            m_client->abort();
            m_client->deleteLater();
        }
        m_client = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // The session is the socket's child, so the socket outlives the
        // writer and closer that point at it.
        auto* session = new LoadSession(
            m_context,
            [socket](const QByteArray& bytes) {
                if (socket->state() == QAbstractSocket::ConnectedState) {
                    // On the wire now, not on the event loop's next pass.
                    socket->write(bytes);
                    socket->flush();
                }
            },
            [socket] { socket->disconnectFromHost(); }, socket);
        session->SetFaults(m_faults);
        m_session = session;
        connect(socket, &QTcpSocket::readyRead, session,
                [socket, session] { session->Receive(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}
