#include "GpibTransport.h"

#include <QDeadlineTimer>
#include <atomic>
#include <cmath>

#include "Commands.h"
#include "EventWait.h"
#include "GpibDriver.h"
#include "GpibWorker.h"
#include "InstrumentLogging.h"
#include "Operator.h"

namespace {
const QString kDriverMissing = QStringLiteral("GPIB driver library not found");
constexpr int kFailedHandle = -1;
constexpr double kRetryPauseMs = 20.0;

// The operator hears about a missing driver once per program run, however
// often a GPIB channel is opened.
std::atomic<bool> gMissingDriverReported{false};
}  // namespace

GpibTransport::GpibTransport(Operator& op) : m_operator(op) {}

GpibTransport::~GpibTransport() {
    if (m_worker) {
        GpibDriver* driver = m_driver.get();
        m_worker->RunBlocking([driver] { driver->UnregisterThread(); });
        m_worker.reset();
    }
}

bool GpibTransport::EnsureDriver() {
    if (m_driver && m_driver->IsLoaded()) {
        return true;
    }
    auto driver = std::make_unique<GpibDriver>();
    if (!driver->Load()) {
        if (!gMissingDriverReported.exchange(true)) {
            m_operator.ShowMessage(kDriverMissing);
        }
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

void GpibTransport::Open() {
    // A device still online from an earlier open goes offline first, so that
    // repeated connection passes do not use up the driver's handles.
    Close();
    if (m_address == 0 || !EnsureDriver()) {
        return;
    }
    m_handle = ConnectDevice();
    if (m_handle != kFailedHandle) {
        Write(Cmd::kRemoteGpib);
    }
}

void GpibTransport::Close() {
    if (m_handle != 0 && m_worker) {
        const int handle = m_handle;
        GpibDriver* driver = m_driver.get();
        m_worker->Run([handle, driver] { driver->SetOnline(handle, 0); });
    }
    m_handle = 0;
}

void GpibTransport::Write(const QString& command) {
    if (m_handle == 0 || !m_worker) {
        qCDebug(GpibLog) << "not sent" << command;
        return;
    }
    const int handle = m_handle;
    const QByteArray bytes = command.toLatin1();
    GpibDriver* driver = m_driver.get();
    m_worker->Run([handle, &bytes, driver] { driver->WriteBytes(handle, bytes); });
}

QString GpibTransport::Read() {
    return ReadUntil(0.0);
}

QString GpibTransport::ReadTimed(double seconds) {
    return ReadUntil(seconds);
}

QString GpibTransport::ReadUntil(double seconds) {
    if (m_handle == 0 || !m_worker) {
        return kNoReply;
    }
    const int handle = m_handle;
    GpibDriver* driver = m_driver.get();
    char buffer[GpibDriver::kReadSize] = {};
    int count = 0;
    const QDeadlineTimer deadline(
        static_cast<qint64>(std::isfinite(seconds) ? qBound(0.0, seconds, 1e6) * 1000.0 : 0.0));
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
    if (count == 0 && !closedMeanwhile()) {
        // Nothing came: one more read clears whatever the device was about
        // to send, so it cannot answer the next query instead.
        m_worker->Run([handle, driver] {
            char discard[GpibDriver::kReadSize];
            driver->ReadBytes(handle, discard);
        });
    }
    if (count < 2) {
        return kNoReply;
    }
    const int used = qMin(count, GpibDriver::kReadSize);
    const QString reply = ReplyText(QByteArray(buffer, used));
    qCDebug(GpibLog) << "reply" << reply;
    return reply;
}
