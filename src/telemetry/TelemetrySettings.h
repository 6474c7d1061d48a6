#pragma once

#include <QString>
#include <QStringList>

// Where and how a station publishes its telemetry: the [Telemetry] section of
// TRIO.INI, possibly overridden for one run by `--publish mqtt://host:port/prefix`.
struct TelemetrySettings {
    static constexpr quint16 kDefaultPort = 1883;
    static constexpr quint16 kDefaultTlsPort = 8883;
    static constexpr int kDefaultQueueLimit = 10000;

    QString host;  // empty: telemetry is off
    quint16 port = kDefaultPort;
    QString topic;  // prefix of every topic, without a trailing "/"
    QString clientId;
    QString username;
    QString passwordFile;  // a file holding the password, never the password itself
    QString caFile;        // TLS with this certificate authority when set
    bool tls = false;      // CAFile set, or an mqtts:// broker (the system's authorities)
    bool allowRemoteStop = false;
    int queueLimit = kDefaultQueueLimit;

    bool Enabled() const { return !host.isEmpty(); }
    QString BrokerText() const { return host + QLatin1Char(':') + QString::number(port); }
};

// The topic prefix a station uses when none is set.
QString DefaultTelemetryTopic(const QString& hostName);

// Reads [Telemetry] of the settings file `iniPath`. Values that cannot be used
// are reported in `problems` (one sentence each) and leave telemetry off, so
// that a typo never publishes somewhere unexpected.
TelemetrySettings ReadTelemetrySettings(const QString& iniPath, const QString& hostName,
                                        QStringList* problems);

// Reads "host:port" (port optional; "[::1]:1883" for IPv6) into `settings`.
bool ParseBroker(const QString& text, TelemetrySettings* settings, QString* error);

// Applies "mqtt://host:port/prefix" (or mqtts:// for TLS, checked against
// CAFile when set, else the system's authorities) to `settings`: broker and
// topic for one run. The prefix may be empty, which keeps the configured topic.
bool ApplyPublishUrl(const QString& url, TelemetrySettings* settings, QString* error);

// A topic prefix is usable when it is not empty and holds no wildcard ("+",
// "#"), no NUL and no empty level at either end.
bool IsValidTopicPrefix(const QString& prefix);

// The password stored in `path`: its first line, without the line end.
bool ReadPasswordFile(const QString& path, QString* password, QString* error);
