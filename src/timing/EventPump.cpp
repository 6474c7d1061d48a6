#include "EventPump.h"

EventPump::EventPump() {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_loop, &QEventLoop::quit);
}

void EventPump::RunFor(int ms) {
    m_timer.start(qMax(0, ms));
    m_loop.exec();
    m_timer.stop();
}
