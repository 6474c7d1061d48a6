#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QStringList>

// The fake GPIB driver, reached through the same file the transport loads.
class FakeGpibControl {
  public:
    FakeGpibControl() : m_library(QStringLiteral(FAKE_GPIB_LIBRARY)) {
        m_reset = reinterpret_cast<void (*)()>(m_library.resolve("FakeGpibReset"));
        m_queueDevice = reinterpret_cast<void (*)(int)>(m_library.resolve("FakeGpibQueueDevice"));
        m_queueRead =
            reinterpret_cast<void (*)(const char*, int)>(m_library.resolve("FakeGpibQueueRead"));
        m_calls = reinterpret_cast<int (*)(char*, int)>(m_library.resolve("FakeGpibCalls"));
    }
    bool IsValid() const { return m_reset && m_queueDevice && m_queueRead && m_calls; }
    void Reset() { m_reset(); }
    void QueueDevice(int handle) { m_queueDevice(handle); }
    void QueueRead(const QByteArray& bytes) { m_queueRead(bytes.constData(), bytes.size()); }
    QStringList Calls() const {
        QByteArray text(64 * 1024, '\0');
        m_calls(text.data(), text.size());
        return QString::fromLatin1(text.constData()).split('\n', Qt::SkipEmptyParts);
    }
    // The calls without the thread registration.
    QStringList BusCalls() const {
        QStringList calls = Calls();
        calls.removeAll(QStringLiteral("register"));
        calls.removeAll(QStringLiteral("unregister"));
        return calls;
    }

  private:
    QLibrary m_library;
    void (*m_reset)() = nullptr;
    void (*m_queueDevice)(int) = nullptr;
    void (*m_queueRead)(const char*, int) = nullptr;
    int (*m_calls)(char*, int) = nullptr;
};
