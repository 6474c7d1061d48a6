#include "Commands.h"

#include "NumberText.h"

namespace Cmd {
QString WithValue(const QString& header, double value) {
    return header + NumberText(value);
}

QStringList SplitPhases(const QString& reply) {
    if (reply.isEmpty()) {
        return {};
    }
    return reply.split(QLatin1Char(','));
}
}  // namespace Cmd

QByteArray TrimLineEnd(const QByteArray& reply) {
    if (reply.endsWith("\r\n")) {
        return reply.left(reply.size() - 2);
    }
    if (reply.endsWith('\n')) {
        return reply.left(reply.size() - 1);
    }
    return reply;
}

QString ReplyText(const QByteArray& received) {
    if (received.size() < 2) {
        return kNoReply;
    }
    return QString::fromLatin1(TrimLineEnd(received));
}
