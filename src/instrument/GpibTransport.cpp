#include "GpibTransport.h"

#include <QDeadlineTimer>
#include <cmath>

#include "Commands.h"
#include "EventWait.h"
#include "GpibDriver.h"
#include "GpibWorker.h"
#include "InstrumentLogging.h"

namespace {
constexpr int kFailedHandle = -1;
constexpr double kRetryPauseMs = 20.0;
// How long a plain read waits for its reply, and a write for the device to
// take the command: the device time-out the load has always been used with.
constexpr double kDeviceTimeoutSeconds = 1.0;
// A reply longer than anything the load sends ends here.
constexpr int kMaxReplyBytes = 64 * 1024;

QString Hex(int status) {
    return QStringLiteral("0x%1").arg(status, 4, 16, QLatin1Char('0'));
}

QString Seconds(double seconds) {
    return QString::number(seconds) + QStringLiteral(" s");
}
}  // namespace

GpibTransport::GpibTransport(int primaryAddress) : m_address(primaryAddress) {}

GpibTransport::~GpibTransport() {
    if (m_worker) {
        GpibDriver* driver = m_driver.get();
        m_worker->RunBlocking([driver] { driver->UnregisterThread(); });
        m_worker.reset();
    }
}

bool GpibTransport::EnsureDriver(QString* error) {
    if (m_driver && m_driver->IsLoaded()) {
        return true;
    }
    auto driver = std::make_unique<GpibDriver>();
    if (!driver->Load(error)) {
        return false;
    }
    m_driver = std::move(driver);
    m_worker = std::make_unique<GpibWorker>();
    return true;
}

int GpibTransport::ConnectDevice() {
    int handle = 0;
    const int address = m_address;
    GpibDriver* driver = m_driver.get();
    m_worker->Run([&handle, address, driver] {
        handle = driver->OpenDevice(address);
        if (handle == kFailedHandle) {
            // A refused first attempt often leaves the board in a state that
            // only going offline clears.
            driver->SetOnline(kFailedHandle, 0);
            handle = driver->OpenDevice(address);
        }
        if (handle != kFailedHandle) {
            // Calls wait in short slices, so that a command sent while a read
            // waits (Stop's "LOAD OFF") goes out after one slice, not after
            // the whole read.
            driver->SetTimeout(handle, GpibDriver::kTimeout30ms);
        }
    });
    return handle;
}

LinkResult GpibTransport::Open() {
    // A device still online from an earlier open goes offline first, so that
    // repeated connection passes do not use up the driver's handles.
    Close();
    m_closedByProgram = false;
    if (m_address == 0) {
        return LinkResult::Failure(LinkResult::Kind::OpenFailed,
                                   QStringLiteral("no GPIB address chosen"));
    }
    QString tried;
    if (!EnsureDriver(&tried)) {
        return LinkResult::Failure(
            LinkResult::Kind::NoDriver,
            QStringLiteral("GPIB driver library not found (tried %1)").arg(tried));
    }
    m_handle = ConnectDevice();
    if (m_handle == kFailedHandle) {
        return LinkResult::Failure(LinkResult::Kind::OpenFailed,
                                   QStringLiteral("the driver refused the device"));
    }
    Write(Cmd::kRemoteGpib);
    return LinkResult::Done();
}

void GpibTransport::Close() {
    m_closedByProgram = true;
    if (m_handle != 0 && m_worker) {
        const int handle = m_handle;
        GpibDriver* driver = m_driver.get();
        m_worker->Run([handle, driver] { driver->SetOnline(handle, 0); });
    }
    m_handle = 0;
}

LinkResult GpibTransport::NotOpen() const {
    if (m_closedByProgram) {
        return LinkResult::Failure(LinkResult::Kind::Closed, QStringLiteral("device offline"));
    }
    return LinkResult::Failure(LinkResult::Kind::Lost, QStringLiteral("device not open"));
}

LinkResult GpibTransport::Write(const QString& command) {
    if (m_handle == 0 || !m_worker) {
        qCDebug(GpibLog) << "not sent" << command;
        return NotOpen();
    }
    const int handle = m_handle;
    const QByteArray bytes = command.toLatin1();
    GpibDriver* driver = m_driver.get();
    const QDeadlineTimer deadline(static_cast<qint64>(kDeviceTimeoutSeconds * 1000.0));
    int sent = 0;
    for (;;) {
        GpibDriver::Transfer done;
        const QByteArray rest = bytes.mid(sent);
        m_worker->Run([handle, &rest, driver, &done] { done = driver->WriteBytes(handle, rest); });
        sent += qBound(0, done.count, static_cast<int>(rest.size()));
        if (sent >= bytes.size() && !done.Failed()) {
            return LinkResult::Done();
        }
        if (m_handle != handle) {
            return NotOpen();
        }
        if (done.Failed() && !done.TimedOut()) {
            return LinkResult::Failure(
                LinkResult::Kind::DriverError,
                QStringLiteral("the driver refused the command (status %1)").arg(Hex(done.status)));
        }
        if (deadline.hasExpired()) {
            return LinkResult::Failure(LinkResult::Kind::DriverError,
                                       QStringLiteral("the device took no command within %1")
                                           .arg(Seconds(kDeviceTimeoutSeconds)));
        }
        if (done.count <= 0 && !done.TimedOut()) {
            WaitWithEvents(kRetryPauseMs);
        }
    }
}

LinkResult GpibTransport::Read() {
    return ReadUntil(0.0);
}

LinkResult GpibTransport::ReadBefore(const QDeadlineTimer& deadline) {
    return ReadUntil(0.0, deadline);
}

LinkResult GpibTransport::ReadTimed(double seconds) {
    return ReadUntil(seconds);
}

GpibTransport::Slice GpibTransport::ReadSlice(int handle) {
    GpibDriver* driver = m_driver.get();
    Slice slice;
    m_worker->Run([handle, driver, &slice] {
        char buffer[GpibDriver::kReadSize];
        slice.done = driver->ReadBytes(handle, buffer);
        slice.bytes = QByteArray(buffer, qBound(0, slice.done.count, GpibDriver::kReadSize));
    });
    return slice;
}

LinkResult GpibTransport::ReadUntil(double seconds, const QDeadlineTimer& cutOff) {
    if (m_handle == 0 || !m_worker) {
        return NotOpen();
    }
    const int handle = m_handle;
    const double limit =
        qMax(kDeviceTimeoutSeconds, std::isfinite(seconds) ? qBound(0.0, seconds, 1e6) : 0.0);
    const QDeadlineTimer deadline(static_cast<qint64>(limit * 1000.0));
    // Stop pressed while the read waits takes the device offline; reading on
    // would only wait out the rest of the time on a closed device.
    const auto closedMeanwhile = [this, handle] { return m_handle != handle; };
    QByteArray received;
    bool ended = false;
    GpibDriver::Transfer last;
    // Each slice waits at most the device time-out of 30 ms; between two,
    // commands sent meanwhile go out. A reply is whole once EOI came with its
    // last byte, or its line end came.
    for (;;) {
        const Slice slice = ReadSlice(handle);
        last = slice.done;
        received += slice.bytes.left(kMaxReplyBytes - received.size());
        ended = last.Ended() || received.endsWith('\n') || received.size() >= kMaxReplyBytes;
        if (ended || closedMeanwhile() || (last.Failed() && !last.TimedOut()) ||
            deadline.hasExpired() || cutOff.hasExpired()) {
            break;
        }
        if (slice.bytes.isEmpty() && !last.TimedOut()) {
            // A driver that gives up at once is not asked again in a tight loop.
            WaitWithEvents(kRetryPauseMs);
        }
    }
    LinkResult result;
    if (ended) {
        result = LinkResult::FromReceived(received, QString());
    } else if (closedMeanwhile()) {
        result = NotOpen();
    } else if (last.Failed() && !last.TimedOut()) {
        result = LinkResult::Failure(
            LinkResult::Kind::DriverError,
            QStringLiteral("the driver reported an error (status %1)").arg(Hex(last.status)));
    } else {
        if (received.isEmpty() && !cutOff.hasExpired()) {
            // Nothing came: one more read clears whatever the device was about
            // to send, so it cannot answer the next query instead.
            ReadSlice(handle);
        }
        result = LinkResult::Unfinished(received, Seconds(limit));
    }
    if (result.Ok()) {
        qCDebug(GpibLog) << "reply" << result.reply;
    } else {
        qCDebug(GpibLog) << "no reply:" << result.reason;
    }
    return result;
}
