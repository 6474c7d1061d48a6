#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

// A load on 127.0.0.1 that answers each query ("...?") with the next reply
// of a script (an empty reply sends nothing) and takes other commands silently.
class ScriptedLoad : public QObject {
    Q_OBJECT

  public:
    ScriptedLoad();
    quint16 Port() const { return m_server.serverPort(); }
    void SetReplies(const QList<QByteArray>& replies) { m_replies = replies; }

  private:
    void OnData(QTcpSocket* socket);

    QTcpServer m_server;
    QList<QByteArray> m_replies;
    QByteArray m_pending;
};
