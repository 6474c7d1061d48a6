#include "LinkResult.h"

LinkResult LinkResult::FromReceived(const QByteArray& received, const QString& timeOutReason) {
    if (received.isEmpty()) {
        return Failure(Kind::TimedOut, timeOutReason);
    }
    if (received.size() < 2) {
        return Failure(Kind::ShortReply, QStringLiteral("a reply of one byte"));
    }
    return Reply(QString::fromLatin1(TrimLineEnd(received)));
}

QByteArray TrimLineEnd(const QByteArray& reply) {
    if (reply.endsWith("\r\n")) {
        return reply.left(reply.size() - 2);
    }
    if (reply.endsWith('\n')) {
        return reply.left(reply.size() - 1);
    }
    return reply;
}
