#include "PtyPeer.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    // Keep the master raw so that bytes pass unchanged both ways.
    termios attributes{};
    if (tcgetattr(m_master, &attributes) == 0) {
        cfmakeraw(&attributes);
        tcsetattr(m_master, TCSANOW, &attributes);
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { OnReadable(); });
}

PtyPeer::~PtyPeer() {
    m_notifier.reset();
    if (m_master >= 0) {
        ::close(m_master);
    }
}

void PtyPeer::Hangup() {
    m_notifier.reset();
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void PtyPeer::Send(const QByteArray& bytes) {
    if (!bytes.isEmpty()) {
        const ssize_t written = ::write(m_master, bytes.constData(), bytes.size());
        (void)written;
    }
}

void PtyPeer::OnReadable() {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(m_master, buffer, sizeof buffer)) > 0) {
        m_pending.append(buffer, static_cast<int>(n));
    }
    if (n < 0 && errno == EIO) {
        // No slave open: stop watching until the test is over.
        m_notifier->setEnabled(false);
    }
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromLatin1(m_pending.left(end));
        m_pending.remove(0, end + 1);
        m_lines << line;
        if (m_responder) {
            Send(m_responder(line));
        }
    }
}
