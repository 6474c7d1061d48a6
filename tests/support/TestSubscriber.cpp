#include "TestSubscriber.h"

#include <mosquitto.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

TestSubscriber::TestSubscriber() {
    mosquitto_lib_init();
    m_mosq = mosquitto_new(nullptr, true, this);
    mosquitto_message_callback_set(m_mosq, &TestSubscriber::OnMessage);
    mosquitto_subscribe_callback_set(m_mosq, [](mosquitto*, void* self, int, int, const int*) {
        auto* subscriber = static_cast<TestSubscriber*>(self);
        std::lock_guard<std::mutex> lock(subscriber->m_mutex);
        subscriber->m_subscribed = true;
    });
    mosquitto_publish_callback_set(m_mosq, [](mosquitto*, void* self, int) {
        auto* subscriber = static_cast<TestSubscriber*>(self);
        std::lock_guard<std::mutex> lock(subscriber->m_mutex);
        ++subscriber->m_acknowledged;
    });
}

TestSubscriber::~TestSubscriber() {
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, true);
    mosquitto_destroy(m_mosq);
}

bool TestSubscriber::Subscribe(quint16 port, const QString& filter, int timeoutMs) {
    if (mosquitto_connect(m_mosq, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
        mosquitto_subscribe(m_mosq, nullptr, filter.toUtf8().constData(), 1) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS) {
        return false;
    }
    return WaitFor(
        [this] {
            std::lock_guard<std::mutex> lock(m_mutex);
            return m_subscribed;
        },
        timeoutMs);
}

bool TestSubscriber::Publish(const QString& topic, const QByteArray& payload, bool retain) {
    int before = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        before = m_acknowledged;
    }
    if (mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), payload.size(),
                          payload.constData(), 1, retain) != MOSQ_ERR_SUCCESS) {
        return false;
    }
    return WaitFor(
        [&] {
            std::lock_guard<std::mutex> lock(m_mutex);
            return m_acknowledged > before;
        },
        5000);
}

QList<TestSubscriber::Message> TestSubscriber::Messages() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

QList<TestSubscriber::Message> TestSubscriber::On(const QString& topic) const {
    QList<Message> found;
    for (const Message& message : Messages()) {
        if (message.topic == topic) {
            found << message;
        }
    }
    return found;
}

bool TestSubscriber::WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void TestSubscriber::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* subscriber = static_cast<TestSubscriber*>(self);
    Message m{QString::fromUtf8(message->topic),
              QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
              message->retain, QDateTime::currentMSecsSinceEpoch()};
    std::lock_guard<std::mutex> lock(subscriber->m_mutex);
    subscriber->m_messages << m;
}
