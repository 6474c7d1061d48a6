#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real mosquitto broker for a test, listening on 127.0.0.1 only, on a port
// that was free when the broker was first started. Restarting it uses the same
// port, so that clients can find it again.
class BrokerProcess {
  public:
    BrokerProcess();
    ~BrokerProcess();

    // Extra configuration lines (a password file, for instance).
    void SetExtraConfig(const QString& lines) { m_extraConfig = lines; }
    // Starts the broker and waits until it accepts connections.
    bool Start();
    // Ends the broker at once, as a power cut would (SIGKILL).
    void Kill();

    quint16 Port() const { return m_port; }
    qint64 ProcessId() const { return m_process.processId(); }
    QString Url(const QString& prefix) const;
    QString Folder() const { return m_folder.path(); }
    static bool Available();

  private:
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_extraConfig;
};
