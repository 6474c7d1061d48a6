#include "MqttClient.h"

#include <mosquitto.h>

#include <QMetaObject>

namespace {
// Unacknowledged messages handed to the library at once; the rest wait in
// the bounded queue, where a long outage cannot make them pile up unchecked.
constexpr int kInFlightWindow = 100;
constexpr unsigned kReconnectDelayMinSeconds = 1;

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString LibraryError(int rc) {
    if (rc == MOSQ_ERR_ERRNO) {
        return QString::fromLocal8Bit(strerror(errno));
    }
    return QString::fromUtf8(mosquitto_strerror(rc));
}
}  // namespace

QString StateText(MqttClient::State state) {
    switch (state) {
        case MqttClient::State::Off:
            return QStringLiteral("off");
        case MqttClient::State::Connecting:
            return QStringLiteral("connecting");
        case MqttClient::State::Connected:
            return QStringLiteral("connected");
        case MqttClient::State::Reconnecting:
            return QStringLiteral("broker away");
        case MqttClient::State::Failed:
            return QStringLiteral("failed");
    }
    return QString();
}

MqttClient::MqttClient(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_queue(m_options.queueLimit) {}

MqttClient::~MqttClient() {
    Stop();
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
    }
}

QString MqttClient::BrokerText() const {
    return m_options.host + QLatin1Char(':') + QString::number(m_options.port);
}

bool MqttClient::Start(QString* error) {
    InitLibraryOnce();
    const QByteArray id = m_options.clientId.toUtf8();
    m_mosq = mosquitto_new(id.isEmpty() ? nullptr : id.constData(), true, this);
    if (!m_mosq) {
        *error = QStringLiteral("cannot create an MQTT client");
        return false;
    }
    int rc = MOSQ_ERR_SUCCESS;
    if (!m_options.username.isEmpty()) {
        const QByteArray user = m_options.username.toUtf8();
        const QByteArray password = m_options.password.toUtf8();
        rc = mosquitto_username_pw_set(
            m_mosq, user.constData(), m_options.password.isNull() ? nullptr : password.constData());
    }
    if (rc == MOSQ_ERR_SUCCESS && m_options.tls) {
        if (m_options.caFile.isEmpty()) {
            rc = mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        } else {
            const QByteArray ca = m_options.caFile.toLocal8Bit();
            rc = mosquitto_tls_set(m_mosq, ca.constData(), nullptr, nullptr, nullptr, nullptr);
            if (rc != MOSQ_ERR_SUCCESS) {
                *error = QStringLiteral("cannot use the CA file %1").arg(m_options.caFile);
                return false;
            }
        }
    }
    if (rc == MOSQ_ERR_SUCCESS && !m_options.willTopic.isEmpty()) {
        const QByteArray topic = m_options.willTopic.toUtf8();
        rc = mosquitto_will_set(m_mosq, topic.constData(), m_options.willPayload.size(),
                                m_options.willPayload.constData(), 1, true);
    }
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_reconnect_delay_set(
            m_mosq, kReconnectDelayMinSeconds,
            static_cast<unsigned>(qMax(1, m_options.reconnectDelayMaxSeconds)), true);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        *error = LibraryError(rc);
        return false;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttClient::OnConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttClient::OnDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttClient::OnPublish);
    mosquitto_message_callback_set(m_mosq, &MqttClient::OnMessage);

    SetState(State::Connecting);
    m_loopRunning = true;
    m_starter = std::thread([this] { ConnectAndStartLoop(); });
    return true;
}

void MqttClient::ConnectAndStartLoop() {
    // Resolving the broker's name may take seconds: it happens here, off the
    // caller's thread. The library's network thread reconnects by itself
    // once a first connection was under way, but not after a first attempt
    // that failed at once, so those are repeated here.
    const QByteArray host = m_options.host.toUtf8();
    const int delayMax = qMax(1, m_options.reconnectDelayMaxSeconds);
    int delay = static_cast<int>(kReconnectDelayMinSeconds);
    for (;;) {
        const int rc = mosquitto_connect_async(m_mosq, host.constData(), m_options.port,
                                               qMax(5, m_options.keepAliveSeconds));
        if (rc == MOSQ_ERR_SUCCESS) {
            break;
        }
        SetState(State::Reconnecting, LibraryError(rc));
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_progress.wait_for(lock, std::chrono::seconds(delay), [this] { return m_stopping; })) {
            return;
        }
        delay = qMin(delay * 2, delayMax);
    }
    const int rc = mosquitto_loop_start(m_mosq);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (rc == MOSQ_ERR_SUCCESS) {
        m_loopStarted = true;
    } else {
        m_state = State::Failed;
        m_lastError = LibraryError(rc);
        NotifyStateChanged();
    }
}

void MqttClient::Stop() {
    if (!m_loopRunning) {
        return;
    }
    m_loopRunning = false;
    bool connected = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        connected = m_state == State::Connected;
    }
    m_progress.notify_all();
    if (m_starter.joinable()) {
        m_starter.join();
    }
    if (m_loopStarted) {
        // A clean DISCONNECT keeps the broker from sending the last will.
        const int rc = mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, !(connected && rc == MOSQ_ERR_SUCCESS));
    }
    SetState(State::Off);
    m_progress.notify_all();
}

void MqttClient::Publish(const QString& topic, const QByteArray& payload, bool retain) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_queue.Push(OutgoingMessage{topic.toUtf8(), payload, retain});
    }
    Pump();
}

bool MqttClient::PublishIfConnected(const QString& topic, const QByteArray& payload) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping || m_state != State::Connected) {
            return false;
        }
        m_queue.Push(OutgoingMessage{topic.toUtf8(), payload, false});
    }
    Pump();
    return true;
}

void MqttClient::Pump() {
    std::lock_guard<std::mutex> lock(m_mutex);
    while (m_state == State::Connected && m_inFlight < kInFlightWindow && !m_queue.Empty()) {
        const OutgoingMessage& message = m_queue.Front();
        // Counted before the call: the acknowledgement may arrive on the
        // network thread before mosquitto_publish returns.
        ++m_inFlight;
        const int rc =
            mosquitto_publish(m_mosq, nullptr, message.topic.constData(), message.payload.size(),
                              message.payload.constData(), 1, message.retain);
        if (rc == MOSQ_ERR_NO_CONN) {
            --m_inFlight;
            break;  // stays first in line for the next connection
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            --m_inFlight;
            ++m_rejected;
            m_lastError = LibraryError(rc);
        }
        m_queue.PopFront();
    }
}

bool MqttClient::Flush(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_progress.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] {
                                   return (m_queue.Empty() && m_inFlight == 0) ||
                                          m_state != State::Connected;
                               }) &&
           m_queue.Empty() && m_inFlight == 0;
}

MqttClient::State MqttClient::CurrentState() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

QString MqttClient::LastError() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastError;
}

MqttClient::Counters MqttClient::Stats() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    Counters c;
    c.waiting = m_queue.Size();
    c.inFlight = m_inFlight;
    c.delivered = m_delivered;
    c.dropped = m_queue.Dropped();
    c.rejected = m_rejected;
    return c;
}

void MqttClient::SetState(State state, const QString& error) {
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping && state != State::Off) {
            return;
        }
        changed = m_state != state || (!error.isEmpty() && error != m_lastError);
        m_state = state;
        if (!error.isEmpty()) {
            m_lastError = error;
        }
    }
    m_progress.notify_all();
    if (changed) {
        NotifyStateChanged();
    }
}

void MqttClient::NotifyStateChanged() {
    QMetaObject::invokeMethod(
        this, [this] { emit stateChanged(); }, Qt::QueuedConnection);
}

void MqttClient::OnConnect(mosquitto* mosq, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    if (rc != 0) {
        client->SetState(State::Reconnecting, QString::fromUtf8(mosquitto_connack_string(rc)));
        return;
    }
    for (const QString& filter : client->m_options.subscriptions) {
        mosquitto_subscribe(mosq, nullptr, filter.toUtf8().constData(), 1);
    }
    client->SetState(State::Connected);
    client->Pump();
}

void MqttClient::OnDisconnect(mosquitto* /*mosq*/, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    client->SetState(State::Reconnecting, rc == 0 ? QString() : QStringLiteral("connection lost"));
}

void MqttClient::OnPublish(mosquitto* /*mosq*/, void* self, int /*mid*/) {
    auto* client = static_cast<MqttClient*>(self);
    {
        std::lock_guard<std::mutex> lock(client->m_mutex);
        client->m_inFlight = qMax(0, client->m_inFlight - 1);
        ++client->m_delivered;
    }
    client->m_progress.notify_all();
    client->Pump();
}

void MqttClient::OnMessage(mosquitto* /*mosq*/, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MqttClient*>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
    const bool retained = message->retain;
    QMetaObject::invokeMethod(
        client,
        [client, topic, payload, retained] {
            emit client->messageReceived(topic, payload, retained);
        },
        Qt::QueuedConnection);
}
