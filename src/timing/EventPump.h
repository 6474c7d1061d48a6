#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

// The one way the engine waits while the thread's events run: a local event
// loop that runs for a while and wakes early when one of the chosen signals
// fires. Waits check their condition, run the pump for a short slice, and
// check again, so the window stays alive and data is noticed as soon as it
// arrives. WaitWithEvents and the transports' reads are built on it.
class EventPump {
  public:
    EventPump();

    template <typename Sender, typename Signal>
    void WakeOn(const Sender* sender, Signal signal) {
        QObject::connect(sender, signal, &m_loop, &QEventLoop::quit);
    }

    // Runs events until a wake-up signal fires or `ms` milliseconds pass.
    void RunFor(int ms);

  private:
    QEventLoop m_loop;
    QTimer m_timer;
};
