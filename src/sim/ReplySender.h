#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <deque>
#include <functional>

#include "SimulatedLoad.h"

// Puts replies on the wire the way the configured faults say: not at all, as
// noise, late, or in two pieces. Pieces always leave in the order the replies
// were made.
class ReplySender : public QObject {
  public:
    using Writer = std::function<void(const QByteArray&)>;

    explicit ReplySender(Writer writer, QObject* parent = nullptr);

    void SetFaults(const SimFaults& faults) { m_faults = faults; }
    void Send(const QByteArray& reply);

    // Pause between the two pieces of a split reply.
    static constexpr int kSplitPauseMs = 30;

  private:
    struct Piece {
        qint64 dueMs;
        QByteArray bytes;
    };

    QByteArray Noise();
    void Queue(qint64 dueMs, const QByteArray& bytes);
    void Pump();

    Writer m_writer;
    SimFaults m_faults;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::deque<Piece> m_pieces;
    QRandomGenerator m_random;
};
