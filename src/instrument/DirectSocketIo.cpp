#include "DirectSocketIo.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#endif

namespace DirectSocketIo {

#ifdef Q_OS_UNIX
bool Supported() {
    return true;
}

namespace {
// Replies are short lines; a longer arrival is taken over several reads.
constexpr qint64 kChunkBytes = 4096;
}  // namespace

qint64 SendNow(qintptr socket, const QByteArray& bytes) {
    qint64 sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(static_cast<int>(socket), bytes.constData() + sent,
                                 static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            return -1;
        }
    }
    return sent;
}

Arrival AwaitBytes(qintptr socket, int ms, qint64 room, QByteArray* into) {
    const int fd = static_cast<int>(socket);
    pollfd watch{fd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, ms);
    if (ready < 0) {
        return errno == EINTR ? Arrival::Nothing : Arrival::EndOrError;
    }
    if (ready == 0) {
        return Arrival::Nothing;
    }
    std::array<char, kChunkBytes> chunk;
    const size_t wanted = static_cast<size_t>(std::clamp<qint64>(room, 0, kChunkBytes));
    if (wanted == 0) {
        return Arrival::Nothing;
    }
    // The end of the stream stays on the socket. An error is reported once;
    // the socket reads as ended after it, which the socket object finds.
    const ssize_t n = ::recv(fd, chunk.data(), wanted, MSG_DONTWAIT);
    if (n > 0) {
        into->append(chunk.data(), n);
        return Arrival::Bytes;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return Arrival::Nothing;
    }
    return Arrival::EndOrError;
}

#else
bool Supported() {
    return false;
}

qint64 SendNow(qintptr, const QByteArray&) {
    return 0;
}

Arrival AwaitBytes(qintptr, int, qint64, QByteArray*) {
    return Arrival::Nothing;
}
#endif

}  // namespace DirectSocketIo
