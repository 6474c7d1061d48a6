#include "ReplySender.h"

#include <algorithm>

namespace {
constexpr int kShortNoiseMax = 40;
constexpr int kLongNoise = 2000;
}  // namespace

ReplySender::ReplySender(Writer writer, QObject* parent)
    : QObject(parent), m_writer(std::move(writer)), m_random(QRandomGenerator::securelySeeded()) {
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplySender::Pump);
}

void ReplySender::Send(const QByteArray& reply) {
    if (m_faults.silent) {
        return;
    }
    const QByteArray bytes = m_faults.garbage ? Noise() : reply;
    const qint64 due = m_clock.elapsed() + std::max(0, m_faults.replyDelayMs);
    if (m_faults.splitReplies && bytes.size() >= 2) {
        const qsizetype half = bytes.size() / 2;
        Queue(due, bytes.left(half));
        Queue(due + kSplitPauseMs, bytes.mid(half));
    } else {
        Queue(due, bytes);
    }
    Pump();
}

// Printable noise: mostly short, sometimes very long, sometimes without a
// line end, so that a reader meets every kind of unusable reply.
QByteArray ReplySender::Noise() {
    const bool veryLong = m_random.bounded(4) == 0;
    const int length = veryLong ? kLongNoise : 1 + m_random.bounded(kShortNoiseMax);
    QByteArray noise(length, ' ');
    for (char& c : noise) {
        c = static_cast<char>(m_random.bounded(0x20, 0x7f));
    }
    if (m_random.bounded(3) != 0) {
        noise += '\n';
    }
    return noise;
}

void ReplySender::Queue(qint64 dueMs, const QByteArray& bytes) {
    if (!m_pieces.empty()) {
        dueMs = std::max(dueMs, m_pieces.back().dueMs);
    }
    m_pieces.push_back({dueMs, bytes});
}

void ReplySender::Pump() {
    const qint64 now = m_clock.elapsed();
    while (!m_pieces.empty() && m_pieces.front().dueMs <= now) {
        const QByteArray bytes = std::move(m_pieces.front().bytes);
        m_pieces.pop_front();
        m_writer(bytes);
    }
    if (!m_pieces.empty()) {
        m_timer.start(static_cast<int>(m_pieces.front().dueMs - now));
    }
}
