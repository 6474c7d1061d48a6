#include "BrokerProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {
QString MosquittoPath() {
    QString path = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (path.isEmpty()) {
        path = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin", "/sbin"});
    }
    return path;
}

quint16 FreePort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        return 0;
    }
    return server.serverPort();
}
}  // namespace

BrokerProcess::BrokerProcess() {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // A broker started as root reads its password file as the mosquitto user.
    QFile::setPermissions(m_folder.path(), QFile::permissions(m_folder.path()) | QFile::ReadOther |
                                               QFile::ExeOther | QFile::ReadGroup |
                                               QFile::ExeGroup);
}

BrokerProcess::~BrokerProcess() {
    Kill();
}

bool BrokerProcess::Available() {
    return !MosquittoPath().isEmpty();
}

QString BrokerProcess::Url(const QString& prefix) const {
    return QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(m_port).arg(prefix);
}

bool BrokerProcess::Start() {
    if (m_port == 0) {
        m_port = FreePort();
    }
    const QString config = m_folder.filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QString text = QStringLiteral("listener %1 127.0.0.1\n").arg(m_port);
    text += m_extraConfig.isEmpty() ? QStringLiteral("allow_anonymous true\n") : m_extraConfig;
    file.write(text.toUtf8());
    file.close();
    m_process.start(MosquittoPath(), {QStringLiteral("-c"), config});
    if (!m_process.waitForStarted(5000)) {
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(500)) {
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}

void BrokerProcess::Kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
