#include "SleepInhibitor.h"

#include <QLoggingCategory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#endif

Q_LOGGING_CATEGORY(lcSleep, "zld.sleep", QtWarningMsg)

namespace {
const QString kWho = QStringLiteral("ZLD-3300 Control Program");

#ifndef Q_OS_WIN
QDBusMessage ScreenSaverCall(const QString& method) {
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    return QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                          service, method);
}
#endif
}  // namespace

SleepInhibitor::SleepInhibitor(QObject* parent) : QObject(parent) {}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

bool SleepInhibitor::Held() const {
    return m_logindFd >= 0 || m_screenSaverHeld || m_windowsHeld;
}

void SleepInhibitor::Inhibit(const QString& reason) {
    if (m_wanted) {
        return;
    }
    m_wanted = true;
    m_reason = reason;
    ++m_generation;
#ifdef Q_OS_WIN
    m_windowsHeld = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
    if (!m_windowsHeld) {
        qCDebug(lcSleep) << "SetThreadExecutionState refused";
    }
#else
    AskLogind();
#endif
}

void SleepInhibitor::Release() {
    if (!m_wanted) {
        return;
    }
    m_wanted = false;
    ++m_generation;
    DropGrants();
}

void SleepInhibitor::DropGrants() {
#ifdef Q_OS_WIN
    if (m_windowsHeld) {
        SetThreadExecutionState(ES_CONTINUOUS);
        m_windowsHeld = false;
    }
#else
    if (m_logindFd >= 0) {
        ::close(m_logindFd);  // logind lifts the block when its descriptor closes
        m_logindFd = -1;
    }
    if (m_screenSaverHeld) {
        UnInhibitScreenSaver(m_screenSaverCookie);
        m_screenSaverHeld = false;
        m_screenSaverCookie = 0;
    }
#endif
}

#ifndef Q_OS_WIN
void SleepInhibitor::AskLogind() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCDebug(lcSleep) << "no system bus:" << bus.lastError().message();
        AskScreenSaver();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << kWho << m_reason << QStringLiteral("block");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    const int generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                QDBusPendingReply<QDBusUnixFileDescriptor> reply = *done;
                if (reply.isError()) {
                    qCDebug(lcSleep) << "logind refused:" << reply.error().message();
                    if (generation == m_generation) {
                        AskScreenSaver();
                    }
                    return;
                }
                if (generation != m_generation) {
                    return;  // the run ended meanwhile; the copy closes with the reply
                }
                m_logindFd = ::dup(reply.value().fileDescriptor());
            });
}

void SleepInhibitor::AskScreenSaver() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCDebug(lcSleep) << "no session bus: the computer may sleep during the run";
        return;
    }
    QDBusMessage call = ScreenSaverCall(QStringLiteral("Inhibit"));
    call << kWho << m_reason;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    const int generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                QDBusPendingReply<quint32> reply = *done;
                if (reply.isError()) {
                    qCDebug(lcSleep) << "screen saver refused:" << reply.error().message();
                    return;
                }
                if (generation != m_generation) {
                    UnInhibitScreenSaver(reply.value());  // granted after the run ended
                    return;
                }
                m_screenSaverCookie = reply.value();
                m_screenSaverHeld = true;
            });
}

void SleepInhibitor::UnInhibitScreenSaver(quint32 cookie) {
    QDBusMessage call = ScreenSaverCall(QStringLiteral("UnInhibit"));
    call << cookie;
    QDBusConnection::sessionBus().asyncCall(call);
}
#else
void SleepInhibitor::AskLogind() {}
void SleepInhibitor::AskScreenSaver() {}
void SleepInhibitor::UnInhibitScreenSaver(quint32) {}
#endif
