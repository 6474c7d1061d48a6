#include "TelemetrySettings.h"

#include <QFile>
#include <QUrl>

#include "IniFile.h"

namespace {
const QString kSection = QStringLiteral("Telemetry");

bool ParsePort(const QString& text, quint16* port) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0 || value > 65535) {
        return false;
    }
    *port = static_cast<quint16>(value);
    return true;
}
}  // namespace

QString DefaultTelemetryTopic(const QString& hostName) {
    QString name = hostName.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'))
        .replace(QLatin1Char('+'), QLatin1Char('_'))
        .replace(QLatin1Char('#'), QLatin1Char('_'));
    if (name.isEmpty()) {
        name = QStringLiteral("station");
    }
    return QStringLiteral("zld3300/") + name;
}

bool IsValidTopicPrefix(const QString& prefix) {
    return !prefix.isEmpty() && !prefix.contains(QLatin1Char('+')) &&
           !prefix.contains(QLatin1Char('#')) && !prefix.contains(QChar(0)) &&
           !prefix.startsWith(QLatin1Char('/')) && !prefix.endsWith(QLatin1Char('/')) &&
           prefix.toUtf8().size() < 60000;
}

bool ParseBroker(const QString& text, TelemetrySettings* settings, QString* error) {
    const QString broker = text.trimmed();
    QString host = broker;
    QString portText;
    bool hasPort = false;
    if (broker.startsWith(QLatin1Char('['))) {
        const int close = broker.indexOf(QLatin1Char(']'));
        if (close < 0) {
            *error = QStringLiteral("Broker \"%1\" has no closing \"]\".").arg(text);
            return false;
        }
        host = broker.mid(1, close - 1);
        if (close + 1 < broker.size()) {
            if (broker[close + 1] != QLatin1Char(':')) {
                *error = QStringLiteral("Broker \"%1\" is not host:port.").arg(text);
                return false;
            }
            portText = broker.mid(close + 2);
            hasPort = true;
        }
    } else if (broker.count(QLatin1Char(':')) == 1) {
        host = broker.section(QLatin1Char(':'), 0, 0);
        portText = broker.section(QLatin1Char(':'), 1);
        hasPort = true;
    }
    quint16 port =
        settings->tls ? TelemetrySettings::kDefaultTlsPort : TelemetrySettings::kDefaultPort;
    if (host.isEmpty() || host.contains(QLatin1Char(' ')) ||
        (hasPort && !ParsePort(portText, &port))) {
        *error = QStringLiteral("Broker \"%1\" is not host:port.").arg(text);
        return false;
    }
    settings->host = host;
    settings->port = port;
    return true;
}

bool ApplyPublishUrl(const QString& url, TelemetrySettings* settings, QString* error) {
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() ||
        (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")) ||
        parsed.host().isEmpty() || parsed.hasQuery() || parsed.hasFragment() ||
        !parsed.userInfo().isEmpty()) {
        *error = QStringLiteral("--publish wants mqtt://host:port/prefix, not \"%1\".").arg(url);
        return false;
    }
    const bool tls = scheme == QLatin1String("mqtts");
    const int defaultPort =
        tls ? TelemetrySettings::kDefaultTlsPort : TelemetrySettings::kDefaultPort;
    const int port = parsed.port(defaultPort);
    if (port <= 0) {
        *error = QStringLiteral("--publish: no usable port in \"%1\".").arg(url);
        return false;
    }
    QString prefix = parsed.path(QUrl::FullyDecoded);
    while (prefix.startsWith(QLatin1Char('/'))) {
        prefix.remove(0, 1);
    }
    while (prefix.endsWith(QLatin1Char('/'))) {
        prefix.chop(1);
    }
    if (!prefix.isEmpty() && !IsValidTopicPrefix(prefix)) {
        *error = QStringLiteral("--publish: \"%1\" cannot be a topic prefix.").arg(prefix);
        return false;
    }
    settings->host = parsed.host();
    settings->port = static_cast<quint16>(port);
    if (!prefix.isEmpty()) {
        settings->topic = prefix;
    }
    settings->tls = tls || !settings->caFile.isEmpty();
    return true;
}

TelemetrySettings ReadTelemetrySettings(const QString& iniPath, const QString& hostName,
                                        QStringList* problems) {
    const IniFile ini = IniFile::Load(iniPath);
    TelemetrySettings s;
    s.topic = ini.Value(kSection, QStringLiteral("Topic"), QString()).trimmed();
    if (s.topic.isEmpty()) {
        s.topic = DefaultTelemetryTopic(hostName);
    }
    s.clientId = ini.Value(kSection, QStringLiteral("ClientId"), QString()).trimmed();
    s.username = ini.Value(kSection, QStringLiteral("Username"), QString());
    s.passwordFile = ini.Value(kSection, QStringLiteral("PasswordFile"), QString()).trimmed();
    s.caFile = ini.Value(kSection, QStringLiteral("CAFile"), QString()).trimmed();
    s.tls = !s.caFile.isEmpty();
    const QString remoteStop =
        ini.Value(kSection, QStringLiteral("AllowRemoteStop"), QStringLiteral("0")).trimmed();
    const QString queueLimit =
        ini.Value(kSection, QStringLiteral("QueueLimit"), QString()).trimmed();
    const QString broker = ini.Value(kSection, QStringLiteral("Broker"), QString()).trimmed();

    QStringList found;
    if (remoteStop == QLatin1String("1")) {
        s.allowRemoteStop = true;
    } else if (remoteStop != QLatin1String("0") && !remoteStop.isEmpty()) {
        // Anything but a plain 1 keeps the broker from stopping a run.
        found << QStringLiteral(
                     "Telemetry: AllowRemoteStop must be 0 or 1, not \"%1\"; remote "
                     "stop stays off.")
                     .arg(remoteStop);
    }
    if (!queueLimit.isEmpty()) {
        bool ok = false;
        const int limit = queueLimit.toInt(&ok);
        if (ok && limit >= 1) {
            s.queueLimit = limit;
        } else {
            found << QStringLiteral(
                         "Telemetry: QueueLimit \"%1\" is no positive number; %2 is used.")
                         .arg(queueLimit)
                         .arg(TelemetrySettings::kDefaultQueueLimit);
        }
    }
    if (!IsValidTopicPrefix(s.topic)) {
        found << QStringLiteral(
                     "Telemetry: Topic \"%1\" cannot be a topic prefix (no +, # or "
                     "leading or trailing /); telemetry is off.")
                     .arg(s.topic);
        s.host.clear();
    } else if (!broker.isEmpty()) {
        QString error;
        if (!ParseBroker(broker, &s, &error)) {
            found << QStringLiteral("Telemetry: %1 Telemetry is off.").arg(error);
        }
    }
    if (problems) {
        *problems << found;
    }
    return s;
}

bool ReadPasswordFile(const QString& path, QString* password, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("cannot read the password file %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    *password = QString::fromUtf8(line);
    return true;
}
