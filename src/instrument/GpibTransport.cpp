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
// The device time-out the driver is opened with.
constexpr double kDeviceTimeoutSeconds = 1.0;
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
    m_worker->Run([handle, &bytes, driver] { driver->WriteBytes(handle, bytes); });
    return LinkResult::Done();
}

LinkResult GpibTransport::Read() {
    return ReadUntil(0.0);
}

LinkResult GpibTransport::ReadTimed(double seconds) {
    return ReadUntil(seconds);
}

LinkResult GpibTransport::ReadUntil(double seconds) {
    if (m_handle == 0 || !m_worker) {
        return NotOpen();
    }
    const int handle = m_handle;
    GpibDriver* driver = m_driver.get();
    char buffer[GpibDriver::kReadSize] = {};
    int count = 0;
    const double limit = std::isfinite(seconds) ? qBound(0.0, seconds, 1e6) : 0.0;
    const QDeadlineTimer deadline(static_cast<qint64>(limit * 1000.0));
    // Stop pressed while the read waits takes the device offline; reading on
    // would only wait out the rest of the time on a closed device.
    const auto closedMeanwhile = [this, handle] { return m_handle != handle; };
    for (;;) {
        m_worker->Run(
            [handle, driver, &buffer, &count] { count = driver->ReadBytes(handle, buffer); });
        if (count != 0 || deadline.hasExpired() || closedMeanwhile()) {
            break;
        }
        // A driver that gives up at once (a bad handle) is not asked again
        // in a tight loop.
        WaitWithEvents(kRetryPauseMs);
        if (closedMeanwhile()) {
            break;
        }
    }
    if (count == 0 && closedMeanwhile()) {
        return NotOpen();
    }
    if (count == 0) {
        // Nothing came: one more read clears whatever the device was about
        // to send, so it cannot answer the next query instead.
        m_worker->Run([handle, driver] {
            char discard[GpibDriver::kReadSize];
            driver->ReadBytes(handle, discard);
        });
    }
    const int used = qBound(0, count, GpibDriver::kReadSize);
    const LinkResult result = LinkResult::FromReceived(
        QByteArray(buffer, used), QStringLiteral("no reply within %1 s")
                                      .arg(QString::number(qMax(limit, kDeviceTimeoutSeconds))));
    if (result.Ok()) {
        qCDebug(GpibLog) << "reply" << result.reply;
    } else {
        qCDebug(GpibLog) << "no reply:" << result.reason;
    }
    return result;
}
