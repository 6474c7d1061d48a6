#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "OutgoingQueue.h"

struct mosquitto;
struct mosquitto_message;

// A connection to an MQTT broker on libmosquitto's own network thread. The
// caller's thread only ever queues: Publish() returns at once whether the
// broker is there, slow or gone, so a run's tick, wait or Stop never waits for
// the network. Messages wait in a bounded queue while the broker is away and
// go out, oldest first and with QoS 1, once it is back (those on their way
// when a connection broke are sent again by the library); it reconnects
// with a growing delay. Signals arrive on the thread that owns the client.
class MqttClient : public QObject {
    Q_OBJECT

  public:
    enum class State { Off, Connecting, Connected, Reconnecting, Failed };

    struct Options {
        QString host;
        quint16 port = 1883;
        QString clientId;  // empty: the library makes one up
        QString username;
        QString password;
        bool tls = false;
        QString caFile;  // empty with tls: the system's authorities
        int queueLimit = 10000;
        int keepAliveSeconds = 10;
        int reconnectDelayMaxSeconds = 30;
        QString willTopic;  // empty: no last will
        QByteArray willPayload;
        QStringList subscriptions;  // topic filters, subscribed at every connect
    };

    struct Counters {
        int waiting = 0;   // queued here, not yet handed to the library
        int inFlight = 0;  // handed to the library, not yet acknowledged
        qint64 delivered = 0;
        qint64 dropped = 0;   // the oldest, dropped from a full queue
        qint64 rejected = 0;  // refused by the library (too large, bad topic)
    };

    explicit MqttClient(Options options, QObject* parent = nullptr);
    ~MqttClient() override;

    // Prepares the connection and starts the network thread, which connects
    // in the background. Fails only on settings the library refuses.
    bool Start(QString* error);
    // Disconnects cleanly (no last will) and ends the network thread.
    void Stop();

    void Publish(const QString& topic, const QByteArray& payload, bool retain);
    // Publishes only while connected, never later: for a command that must
    // not arrive minutes after it was meant. False when not sent.
    bool PublishIfConnected(const QString& topic, const QByteArray& payload);
    // Blocks until every queued message is acknowledged, the broker is away, or
    // `timeoutMs` passed; true when nothing is left. For a program about to end.
    bool Flush(int timeoutMs);

    State CurrentState() const;
    QString LastError() const;
    Counters Stats() const;
    QString BrokerText() const;

  signals:
    void stateChanged();
    // A message on a subscribed topic; `retained` when the broker kept it
    // from before this connection.
    void messageReceived(const QString& topic, const QByteArray& payload, bool retained);

  private:
    static void OnConnect(mosquitto* mosq, void* self, int rc);
    static void OnDisconnect(mosquitto* mosq, void* self, int rc);
    static void OnPublish(mosquitto* mosq, void* self, int mid);
    static void OnMessage(mosquitto* mosq, void* self, const mosquitto_message* message);

    // The first connection attempts, then the library's network thread.
    void ConnectAndStartLoop();
    // Hands waiting messages to the library while connected and the window of
    // unacknowledged ones has room.
    void Pump();
    void SetState(State state, const QString& error = QString());
    void NotifyStateChanged();

    const Options m_options;
    mosquitto* m_mosq = nullptr;
    std::thread m_starter;
    bool m_loopRunning = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_progress;
    OutgoingQueue m_queue;
    State m_state = State::Off;
    QString m_lastError;
    int m_inFlight = 0;
    qint64 m_delivered = 0;
    qint64 m_rejected = 0;
    bool m_stopping = false;
    bool m_loopStarted = false;
};

QString StateText(MqttClient::State state);
