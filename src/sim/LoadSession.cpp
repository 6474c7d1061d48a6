#include "LoadSession.h"

#include <algorithm>
#include <cmath>

#include "CommandInterpreter.h"
#include "CommandJournal.h"

namespace {
constexpr double kMaxTimerMs = 3600.0 * 1000.0;
}

LoadSession::LoadSession(const SessionContext& context, ReplySender::Writer writer, Closer closer,
                         QObject* parent)
    : QObject(parent),
      m_context(context),
      m_sender(std::move(writer), this),
      m_closer(std::move(closer)) {
    m_pulseTimer.setSingleShot(true);
    m_pulseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pulseTimer, &QTimer::timeout, this, &LoadSession::SendPulseResult);
}

void LoadSession::SetFaults(const SimFaults& faults) {
    m_faults = faults;
    m_sender.SetFaults(faults);
    m_commandCount = 0;
    m_dropped = false;
}

void LoadSession::Receive(const QByteArray& bytes) {
    m_buffer += bytes;
    while (!m_dropped) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0) {
            if (m_buffer.size() > kMaxLineBytes) {
                HandleLine(std::exchange(m_buffer, QByteArray()));
            }
            break;
        }
        QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        HandleLine(std::move(line));
    }
    if (m_dropped) {
        m_buffer.clear();
    }
}

void LoadSession::HandleLine(QByteArray line) {
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    const QString command = QString::fromLatin1(line);
    m_context.journal->Record(command);
    const CommandOutcome outcome = m_context.interpreter->Execute(command, m_context.now());
    if (outcome.reply) {
        m_sender.Send(*outcome.reply);
    }
    if (outcome.pulseStarted) {
        ArmPulseTimer();
    }
    ++m_commandCount;
    if (m_faults.silentAfterCommands > 0 && m_commandCount == m_faults.silentAfterCommands) {
        SimFaults mute = m_faults;
        mute.silent = true;
        m_sender.SetFaults(mute);  // still connected, still listening
    }
    if (m_faults.dropAfterCommands > 0 && m_commandCount >= m_faults.dropAfterCommands) {
        m_dropped = true;
        m_pulseTimer.stop();
        m_closer();
    }
}

void LoadSession::ArmPulseTimer() {
    const std::optional<double> end = m_context.interpreter->PulseEndsAt();
    if (!end) {
        return;
    }
    // A very long train wakes the timer now and then; SendPulseResult re-arms it.
    const double waitMs = std::clamp((*end - m_context.now()) * 1000.0, 0.0, kMaxTimerMs);
    m_pulseTimer.start(static_cast<int>(std::ceil(waitMs)) + 1);
}

void LoadSession::SendPulseResult() {
    const double now = m_context.now();
    const std::optional<double> end = m_context.interpreter->PulseEndsAt();
    if (end && *end > now) {
        ArmPulseTimer();  // woke early
        return;
    }
    if (auto result = m_context.interpreter->TakePulseResult(now)) {
        m_sender.Send(*result);
    }
}
