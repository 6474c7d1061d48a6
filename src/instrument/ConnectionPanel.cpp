#include "ConnectionPanel.h"

#include <QRegularExpression>

#include "NumberText.h"

namespace {
constexpr int kLongestHostName = 253;

bool IsIpv4(const QString& text) {
    // Leading zeros are refused: some resolvers read "016" as octal 14 and
    // would dial another host than the one shown.
    static const QRegularExpression dotted(QStringLiteral(
        R"(^(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)(\.(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)){3}$)"));
    return dotted.match(text).hasMatch();
}

bool IsHostName(const QString& text) {
    static const QRegularExpression label(
        QStringLiteral(R"(^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$)"));
    static const QRegularExpression number(QStringLiteral(R"(^\d+$)"));
    QString name = text;
    if (name.endsWith(QLatin1Char('.'))) {
        name.chop(1);
    }
    if (name.isEmpty() || name.size() > kLongestHostName) {
        return false;
    }
    const QStringList labels = name.split(QLatin1Char('.'));
    for (const QString& part : labels) {
        if (!label.match(part).hasMatch()) {
            return false;
        }
    }
    // "192.168.16" or "1.2.3.456" is a mistyped address, not a name.
    return !number.match(labels.last()).hasMatch();
}
QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
}  // namespace

void ConnectionPanel::Show(const ConnectionRecord& record) {
    ip = record.ip;
    port = QString::number(record.port);
    gpibAddress = TwoDigits(record.gpibAddress);
    comPort = TwoDigits(record.comPort);
    baudRate = QString::number(record.baudRate);
    medium = record.medium;
}

QString ConnectionPanel::OneLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

bool ConnectionPanel::IsHostText(const QString& text) {
    return IsIpv4(text) || IsHostName(text);
}

QString ConnectionPanel::IpProblem() const {
    const QString typed = TypedIp().trimmed();
    if (typed.isEmpty()) {
        return QStringLiteral("Load IP must not be empty.");
    }
    if (!IsHostText(typed)) {
        return QStringLiteral("Load IP \"%1\" is neither an IPv4 address nor a host name.")
            .arg(typed);
    }
    return QString();
}

int ConnectionPanel::TypedInteger(const QString& text) {
    double value = 0.0;
    return StrictNumber(text, &value) ? RoundedInteger(value) : 0;
}
