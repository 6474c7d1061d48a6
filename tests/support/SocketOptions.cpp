#include "SocketOptions.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QDir>

namespace {
std::optional<quint16> PortOf(int fd, bool peer) {
    sockaddr_in address{};
    socklen_t size = sizeof(address);
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    const int result = peer ? getpeername(fd, generic, &size) : getsockname(fd, generic, &size);
    if (result != 0 || address.sin_family != AF_INET) {
        return std::nullopt;
    }
    return ntohs(address.sin_port);
}
}  // namespace

std::optional<bool> SendsWithoutDelay(quint16 localPort, quint16 peerPort) {
    const QStringList fds = QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System);
    for (const QString& name : fds) {
        bool number = false;
        const int fd = name.toInt(&number);
        if (!number) {
            continue;
        }
        const std::optional<quint16> local = PortOf(fd, false);
        const std::optional<quint16> peer = PortOf(fd, true);
        if (!local || !peer || (localPort != 0 && *local != localPort) ||
            (peerPort != 0 && *peer != peerPort)) {
            continue;
        }
        int value = 0;
        socklen_t size = sizeof(value);
        if (getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &value, &size) == 0) {
            return value != 0;
        }
    }
    return std::nullopt;
}
