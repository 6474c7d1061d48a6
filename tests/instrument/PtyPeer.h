#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The far end of a pseudo-terminal, standing in for a load on a serial line:
// the transport opens SlavePath(), the test holds the master side. Records
// the lines it receives and answers each with what the responder returns.
class PtyPeer {
  public:
    using Responder = std::function<QByteArray(const QString& line)>;

    PtyPeer();
    ~PtyPeer();
    bool IsValid() const { return m_master >= 0; }
    QString SlavePath() const { return m_slavePath; }

    void SetResponder(Responder responder) { m_responder = std::move(responder); }
    // Writes bytes towards the transport now.
    void Send(const QByteArray& bytes);
    QStringList Lines() const { return m_lines; }
    // Closes the master side, as a USB serial adapter pulled out would.
    void Hangup();

  private:
    void OnReadable();

    int m_master = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
    QStringList m_lines;
    Responder m_responder;
};
