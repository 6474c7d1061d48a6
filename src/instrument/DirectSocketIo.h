#pragma once

#include <QByteArray>
#include <QtGlobal>

// Plain system calls on a connected TCP socket that QTcpSocket manages.
// A query costs the load's answer plus what the program spends around it; at
// thousands of queries a second QTcpSocket's path through its buffers and
// notifiers (and an extra size query per reply) costs as much as the load.
// The socket object keeps the connection: it connects, notices a hang-up and
// handles whatever these calls leave to it (a full send buffer, an error).
namespace DirectSocketIo {

// False where these calls are not written for the system: SendNow then sends
// nothing and AwaitBytes finds nothing, and the socket object does it all.
bool Supported();

// Sends as much of `bytes` as the socket takes now. Returns the number of
// bytes sent, or -1 when the socket reports an error (left for the socket
// object to find).
qint64 SendNow(qintptr socket, const QByteArray& bytes);

enum class Arrival {
    Bytes,      // at least one byte was appended
    Nothing,    // nothing came within the wait
    EndOrError  // the peer hung up or the socket failed: the socket object is to look
};

// Waits up to `ms` for bytes and appends at most `room` of what came to
// `into`. The end of the stream and errors are not taken off the socket.
Arrival AwaitBytes(qintptr socket, int ms, qint64 room, QByteArray* into);

}  // namespace DirectSocketIo
