#pragma once

#include <QByteArray>
#include <deque>

// A message waiting for the broker.
struct OutgoingMessage {
    QByteArray topic;
    QByteArray payload;
    bool retain = false;
};

// The messages that wait while the broker is away, bounded so that a broker
// gone for days cannot eat the station's memory: when full, the oldest
// message is dropped and counted. A retained message replaces a retained one
// still waiting on the same topic, since a reader only ever sees the newest.
// Not thread-safe; the client guards it.
class OutgoingQueue {
  public:
    explicit OutgoingQueue(int limit) : m_limit(limit > 0 ? limit : 1) {}

    void Push(OutgoingMessage message);
    bool Empty() const { return m_messages.empty(); }
    int Size() const { return static_cast<int>(m_messages.size()); }
    const OutgoingMessage& Front() const { return m_messages.front(); }
    void PopFront() { m_messages.pop_front(); }
    // Messages dropped to keep within the limit since the queue was made.
    qint64 Dropped() const { return m_dropped; }
    int Limit() const { return m_limit; }

  private:
    int m_limit;
    std::deque<OutgoingMessage> m_messages;
    qint64 m_dropped = 0;
};
