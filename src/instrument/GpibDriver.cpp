#include "GpibDriver.h"

#include <QFileInfo>
#include <QtGlobal>

#include "InstrumentLogging.h"

namespace {
// Status variables that a registered thread lends the driver. They live as
// long as the thread, which is as long as the driver may write to them.
struct ThreadStatus {
    int status = 0;
    int error = 0;
    int count = 0;
    long countLong = 0;
    bool registered = false;
};
thread_local ThreadStatus tStatus;

constexpr int kStatusErrorBit = 0x8000;
constexpr long kCountWhenUnregistered = 0xDEAD37F0L;

enum RegisterResult : int { kRegistered = 0, kAlreadyRegistered = 1 };
}  // namespace

int Low16(int value) {
    return static_cast<qint16>(static_cast<quint16>(value & 0xFFFF));
}

int StatusBits(int value) {
    return value & 0xFFFF;
}

QStringList GpibDriver::CandidateFiles() {
    QStringList files;
    const QString named = qEnvironmentVariable("ZLD_GPIB_LIBRARY");
    if (!named.isEmpty()) {
        files << named;
    }
#ifdef Q_OS_WIN
    files << QStringLiteral("gpib-32.dll") << QStringLiteral("ni4882.dll");
#else
    files << QStringLiteral("libgpib.so.0") << QStringLiteral("libgpibapi.so.0");
#endif
    return files;
}

bool GpibDriver::Load(QString* error) {
    if (IsLoaded()) {
        return true;
    }
    QStringList tried;
    for (const QString& file : CandidateFiles()) {
        m_library.setFileName(file);
        if (m_library.load() && Resolve()) {
            qCDebug(GpibLog) << "driver" << m_library.fileName();
            return true;
        }
        qCDebug(GpibLog) << "no driver in" << file << m_library.errorString();
        tried << file;
        m_library.unload();
    }
    if (error != nullptr) {
        *error = tried.join(QStringLiteral(", "));
    }
    return false;
}

bool GpibDriver::Resolve() {
    m_ibdev = reinterpret_cast<IbdevFn>(m_library.resolve("ibdev"));
    m_ibwrt = reinterpret_cast<IbwrtFn>(m_library.resolve("ibwrt"));
    m_ibrd = reinterpret_cast<IbrdFn>(m_library.resolve("ibrd"));
    m_ibonl = reinterpret_cast<IbonlFn>(m_library.resolve("ibonl"));
    m_ibtmo = reinterpret_cast<IbtmoFn>(m_library.resolve("ibtmo"));
    m_threadIbcnt = reinterpret_cast<IbcntFn>(m_library.resolve("ThreadIbcnt"));
    m_register = reinterpret_cast<RegisterFn>(m_library.resolve("RegisterGpibGlobalsForThread"));
    m_unregister =
        reinterpret_cast<UnregisterFn>(m_library.resolve("UnregisterGpibGlobalsForThread"));
    if (m_ibdev && m_ibwrt && m_ibrd && m_ibonl && m_ibtmo && m_threadIbcnt) {
        return true;
    }
    m_ibdev = nullptr;
    return false;
}

void GpibDriver::RegisterThread() {
    if (tStatus.registered || m_register == nullptr || m_unregister == nullptr) {
        return;
    }
    int result = m_register(&tStatus.status, &tStatus.error, &tStatus.count, &tStatus.countLong);
    if (result == kAlreadyRegistered) {
        // Someone registered other variables for this thread: take it over.
        m_unregister();
        result = m_register(&tStatus.status, &tStatus.error, &tStatus.count, &tStatus.countLong);
    }
    if (result == kRegistered) {
        tStatus.registered = true;
        return;
    }
    qCDebug(GpibLog) << "thread registration refused:" << result;
    m_unregister();
    tStatus.status = kStatusErrorBit;
    tStatus.error = 0;
    tStatus.countLong = kCountWhenUnregistered;
}

void GpibDriver::UnregisterThread() {
    if (tStatus.registered && m_unregister != nullptr) {
        m_unregister();
    }
    tStatus.registered = false;
}

int GpibDriver::OpenDevice(int primaryAddress) {
    RegisterThread();
    const int handle =
        Low16(m_ibdev(kBoard, primaryAddress, kNoSecondaryAddress, kTimeout1s, kAssertEoi, kNoEos));
    qCDebug(GpibLog) << "ibdev" << primaryAddress << "->" << handle;
    return handle;
}

void GpibDriver::SetOnline(int handle, int online) {
    RegisterThread();
    qCDebug(GpibLog) << "ibonl" << handle << online;
    m_ibonl(handle, online);
}

void GpibDriver::SetTimeout(int handle, int code) {
    RegisterThread();
    qCDebug(GpibLog) << "ibtmo" << handle << code;
    m_ibtmo(handle, code);
}

GpibDriver::Transfer GpibDriver::WriteBytes(int handle, const QByteArray& bytes) {
    RegisterThread();
    Transfer done;
    done.status = StatusBits(m_ibwrt(handle, bytes.constData(), static_cast<long>(bytes.size())));
    done.count = Low16(m_threadIbcnt());
    qCDebug(GpibLog) << "sent" << handle << bytes << done.count << Qt::hex << done.status;
    return done;
}

GpibDriver::Transfer GpibDriver::ReadBytes(int handle, char* buffer) {
    RegisterThread();
    Transfer done;
    done.status = StatusBits(m_ibrd(handle, buffer, kReadSize));
    done.count = Low16(m_threadIbcnt());
    qCDebug(GpibLog) << "read" << handle << done.count << Qt::hex << done.status;
    return done;
}
