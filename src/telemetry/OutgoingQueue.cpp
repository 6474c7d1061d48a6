#include "OutgoingQueue.h"

#include <algorithm>

void OutgoingQueue::Push(OutgoingMessage message) {
    if (message.retain) {
        const auto same =
            std::find_if(m_messages.begin(), m_messages.end(), [&](const OutgoingMessage& waiting) {
                return waiting.retain && waiting.topic == message.topic;
            });
        if (same != m_messages.end()) {
            m_messages.erase(same);
        }
    }
    while (static_cast<int>(m_messages.size()) >= m_limit) {
        m_messages.pop_front();
        ++m_dropped;
    }
    m_messages.push_back(std::move(message));
}
