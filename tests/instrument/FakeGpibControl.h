#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QStringList>

// The fake GPIB driver, reached through the same file the transport loads.
class FakeGpibControl {
  public:
    FakeGpibControl() : m_library(QStringLiteral(FAKE_GPIB_LIBRARY)) {
        m_reset = Resolve<void (*)()>("FakeGpibReset");
        m_queueDevice = Resolve<void (*)(int)>("FakeGpibQueueDevice");
        m_queueRead = Resolve<void (*)(const char*, int)>("FakeGpibQueueRead");
        m_queuePiece = Resolve<void (*)(const char*, int, int, int)>("FakeGpibQueuePiece");
        m_answerQueries = Resolve<void (*)(const char*, int)>("FakeGpibAnswerQueries");
        m_lastWriteNs = Resolve<long long (*)(const char*)>("FakeGpibLastWriteNs");
        m_calls = Resolve<int (*)(char*, int)>("FakeGpibCalls");
        m_setStatus = Resolve<void (*)(int)>("FakeGpibSetStatus");
    }
    bool IsValid() const {
        return m_reset && m_queueDevice && m_queueRead && m_queuePiece && m_answerQueries &&
               m_lastWriteNs && m_calls && m_setStatus;
    }
    void Reset() { m_reset(); }
    void QueueDevice(int handle) { m_queueDevice(handle); }
    void QueueRead(const QByteArray& bytes) { m_queueRead(bytes.constData(), bytes.size()); }
    void QueuePiece(const QByteArray& bytes, int delayMs, bool end) {
        m_queuePiece(bytes.constData(), bytes.size(), delayMs, end ? 1 : 0);
    }
    void AnswerQueries(const QByteArray& reply, int delayMs) {
        m_answerQueries(reply.constData(), delayMs);
    }
    // Steady-clock nanoseconds of the last write of `text`; -1 when none.
    long long LastWriteNs(const QByteArray& text) const { return m_lastWriteNs(text.constData()); }
    // Every later write and read moves nothing and returns `status`; 0 ends that.
    void SetStatus(int status) { m_setStatus(status); }
    QStringList Calls() const {
        QByteArray text(256 * 1024, '\0');
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
    template <typename Fn>
    Fn Resolve(const char* name) {
        return reinterpret_cast<Fn>(m_library.resolve(name));
    }

    QLibrary m_library;
    void (*m_reset)() = nullptr;
    void (*m_queueDevice)(int) = nullptr;
    void (*m_queueRead)(const char*, int) = nullptr;
    void (*m_queuePiece)(const char*, int, int, int) = nullptr;
    void (*m_answerQueries)(const char*, int) = nullptr;
    long long (*m_lastWriteNs)(const char*) = nullptr;
    int (*m_calls)(char*, int) = nullptr;
    void (*m_setStatus)(int) = nullptr;
};
