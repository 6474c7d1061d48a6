#include "ScriptedLoad.h"

#include <QHostAddress>

ScriptedLoad::ScriptedLoad() {
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, this,
                             [this, socket] { OnData(socket); });
        }
    });
}

void ScriptedLoad::OnData(QTcpSocket* socket) {
    m_pending += socket->readAll();
    for (int end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray command = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (!command.endsWith('?')) {
            continue;
        }
        const QByteArray reply = m_replies.isEmpty() ? QByteArray("1.0\n") : m_replies.takeFirst();
        if (!reply.isEmpty()) {
            socket->write(reply);
            socket->flush();
        }
    }
}
