#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>

#include "ReplySender.h"
#include "SessionContext.h"
#include "SimulatedLoad.h"

// One link to the load, whatever the medium: cuts the incoming bytes into
// lines, journals and carries out each command, and sends the replies and the
// pulse result back through the fault settings.
class LoadSession : public QObject {
  public:
    using Closer = std::function<void()>;

    LoadSession(const SessionContext& context, ReplySender::Writer writer, Closer closer,
                QObject* parent = nullptr);

    // New faults also restart the count towards a dropped link.
    void SetFaults(const SimFaults& faults);
    void Receive(const QByteArray& bytes);

    // A line longer than this without a line end is taken as one command.
    static constexpr int kMaxLineBytes = 4096;

  private:
    void HandleLine(QByteArray line);
    void ArmPulseTimer();
    void SendPulseResult();

    SessionContext m_context;
    ReplySender m_sender;
    Closer m_closer;
    SimFaults m_faults;
    QByteArray m_buffer;
    int m_commandCount = 0;
    bool m_dropped = false;
    QTimer m_pulseTimer;
};
