#include "PtyLoadServer.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "LoadSession.h"

namespace {
constexpr int kReadChunk = 4096;
}

PtyLoadServer::PtyLoadServer(const SessionContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

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
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        return Fail(QStringLiteral("open"), error);
    }
    termios mode{};
    if (tcgetattr(m_slave, &mode) != 0) {
        return Fail(QStringLiteral("tcgetattr"), error);
    }
    cfmakeraw(&mode);
    if (tcsetattr(m_slave, TCSANOW, &mode) != 0) {
        return Fail(QStringLiteral("tcsetattr"), error);
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
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
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
            // The terminal is gone; stop listening rather than spin on it.
            m_readNotifier->setEnabled(false);
        }
        return;
    }
}

void PtyLoadServer::Write(const QByteArray& bytes) {
    if (m_output.size() + bytes.size() > kMaxPendingBytes) {
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
