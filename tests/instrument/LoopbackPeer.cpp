#include "LoopbackPeer.h"

#include <QHostAddress>

LoopbackPeer::LoopbackPeer() {
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server,
                     [this] { OnNewConnection(); });
}

void LoopbackPeer::OnNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        ++m_connections;
        if (m_client) {
            m_client->abort();
            m_client->deleteLater();
        }
        m_client = socket;
        m_pending.clear();
        QObject::connect(socket, &QTcpSocket::readyRead, socket,
                         [this, socket] { OnReadyRead(socket); });
    }
}

void LoopbackPeer::OnReadyRead(QTcpSocket* socket) {
    m_pending += socket->readAll();
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        m_lines << QString::fromLatin1(line);
        if (m_responder) {
            m_responder(line, *socket);
        }
    }
}

void LoopbackPeer::Drop() {
    if (m_client) {
        m_client->abort();
        m_client->deleteLater();
    }
}
