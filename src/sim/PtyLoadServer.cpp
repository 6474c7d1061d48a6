#include "PtyLoadServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "LoadSession.h"

namespace {
constexpr int kReadChunk = 4096;
// How often to look for a port while none is open: well inside the 0.1 s a
// serial read waits for its reply.
constexpr int kPortWatchMs = 10;

// Raw mode is set through a short opening of our own; the terminal keeps it
// for the ports opened later.
bool SetRawMode(const char* device) {
    const int slave = ::open(device, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        return false;
    }
    termios mode{};
    bool done = tcgetattr(slave, &mode) == 0;
    if (done) {
        cfmakeraw(&mode);
        done = tcsetattr(slave, TCSANOW, &mode) == 0;
    }
    const int failure = errno;
    ::close(slave);
    errno = failure;
    return done;
}
}  // namespace

PtyLoadServer::PtyLoadServer(const SessionContext& context, QObject* parent)
    : QObject(parent), m_context(context) {
    m_portWatch.setInterval(kPortWatchMs);
    connect(&m_portWatch, &QTimer::timeout, this, &PtyLoadServer::CheckForPort);
}

PtyLoadServer::~PtyLoadServer() {
    CloseDevice();
}

QString PtyLoadServer::Fail(const QString& what, QString* error) {
    if (error) {
        *error = QStringLiteral("Cannot open a pseudo-terminal (%1): %2")
                     .arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    }
    CloseDevice();
    return QString();
}

QString PtyLoadServer::Open(QString* error) {
    if (m_master >= 0) {
        return m_path;
    }
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        return Fail(QStringLiteral("posix_openpt"), error);
    }
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        return Fail(QStringLiteral("grantpt"), error);
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        return Fail(QStringLiteral("ptsname"), error);
    }
    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        return Fail(QStringLiteral("fcntl"), error);
    }
    if (!SetRawMode(name)) {
        return Fail(QStringLiteral("raw mode"), error);
    }
    m_path = QString::fromLocal8Bit(name);

    m_session = new LoadSession(
        m_context, [this](const QByteArray& bytes) { Write(bytes); }, [] {}, this);
    m_session->SetFaults(m_faults);
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyLoadServer::ReadInput);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyLoadServer::FlushOutput);
    return m_path;
}

void PtyLoadServer::SetFaults(const SimFaults& faults) {
    m_faults = faults;
    if (m_session) {
        m_session->SetFaults(faults);
    }
}

void PtyLoadServer::CloseDevice() {
    m_portWatch.stop();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

// While no port is open every read of the master fails at once, so reading
// stops and a timer looks for the next opening instead.
void PtyLoadServer::WaitForPort() {
    m_portOpen = false;
    m_output.clear();
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_portWatch.start();
}

void PtyLoadServer::CheckForPort() {
    pollfd watch{m_master, POLLIN, 0};
    if (::poll(&watch, 1, 0) < 0 || (watch.revents & POLLHUP) != 0) {
        return;
    }
    m_portWatch.stop();
    // Anything the previous port left unread is not for this one.
    tcflush(m_master, TCOFLUSH);
    m_portOpen = true;
    m_readNotifier->setEnabled(true);
}

void PtyLoadServer::ReadInput() {
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            m_session->Receive(QByteArray(chunk, static_cast<int>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || errno != EAGAIN) {
            WaitForPort();  // the port was closed
        }
        return;
    }
}

void PtyLoadServer::Write(const QByteArray& bytes) {
    if (!m_portOpen || m_output.size() + bytes.size() > kMaxPendingBytes) {
        return;
    }
    m_output += bytes;
    FlushOutput();
}

void PtyLoadServer::FlushOutput() {
    while (!m_output.isEmpty()) {
        const ssize_t n = ::write(m_master, m_output.constData(), m_output.size());
        if (n > 0) {
            m_output.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            m_output.clear();  // nobody will ever read it
        }
        break;
    }
    if (m_writeNotifier) {
        m_writeNotifier->setEnabled(!m_output.isEmpty());
    }
}
