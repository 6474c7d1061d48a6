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

LinkResult LinkResult::Unfinished(const QByteArray& received, const QString& window) {
    if (received.isEmpty()) {
        return Failure(Kind::TimedOut, QStringLiteral("no reply within %1").arg(window));
    }
    return Failure(Kind::TimedOut, QStringLiteral("no line end within %1").arg(window));
}

QByteArray TakeLine(QByteArray* buffer) {
    const qsizetype end = buffer->indexOf('\n');
    if (end < 0) {
        return QByteArray();
    }
    const QByteArray line = buffer->left(end + 1);
    buffer->remove(0, end + 1);
    return line;
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
