#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <mutex>

struct mosquitto;

// A subscriber written straight on libmosquitto, independent of the
// program's own client, that records every message it receives.
class TestSubscriber {
  public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained = false;
        qint64 receivedMs = 0;  // wall clock, ms since the epoch
    };

    TestSubscriber();
    ~TestSubscriber();

    // Connects to 127.0.0.1:`port` and subscribes to `filter` (QoS 1); returns
    // once the broker confirmed the subscription.
    bool Subscribe(quint16 port, const QString& filter, int timeoutMs = 5000);
    // Publishes one message and waits until the broker has it.
    bool Publish(const QString& topic, const QByteArray& payload, bool retain = false);

    QList<Message> Messages() const;
    QList<Message> On(const QString& topic) const;
    // Runs the Qt event loop until `done` answers true or `timeoutMs` passes.
    bool WaitFor(const std::function<bool()>& done, int timeoutMs);

  private:
    static void OnMessage(mosquitto*, void* self, const struct mosquitto_message* message);

    mosquitto* m_mosq = nullptr;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
    bool m_subscribed = false;
    int m_acknowledged = 0;
};
