// zld-fleet: every station of the lab on one screen, from the MQTT broker.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "FleetWindow.h"
#include "MqttClient.h"
#include "TelemetrySettings.h"

namespace {
constexpr int kUsage = 64;

int UsageError(const QString& text) {
    std::fprintf(stderr, "zld-fleet: %s\n", text.toLocal8Bit().constData());
    return kUsage;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zld-fleet"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows every ZLD-3300 station publishing to an MQTT broker."));
    parser.addHelpOption();
    parser.addOption({"broker", "Broker to read, host:port.", "HOST:PORT"});
    parser.addOption(
        {"topic", "Topic filter of the stations (default zld3300/#).", "FILTER", "zld3300/#"});
    parser.addOption({"username", "User name at the broker.", "NAME"});
    parser.addOption({"password-file", "File whose first line is the password.", "FILE"});
    parser.addOption({"cafile", "Certificate authority of a TLS broker.", "FILE"});
    parser.process(app);
    if (!parser.isSet("broker")) {
        return UsageError(QStringLiteral("--broker HOST:PORT is required"));
    }
    TelemetrySettings settings;
    settings.caFile = parser.value("cafile");
    settings.tls = !settings.caFile.isEmpty();
    QString error;
    if (!ParseBroker(parser.value("broker"), &settings, &error)) {
        return UsageError(error);
    }
    const QString filter = parser.value("topic");
    if (filter.isEmpty() || filter.startsWith(QLatin1Char('/'))) {
        return UsageError(QStringLiteral("--topic needs a topic filter such as zld3300/#"));
    }

    MqttClient::Options options;
    options.host = settings.host;
    options.port = settings.port;
    options.tls = settings.tls;
    options.caFile = settings.caFile;
    options.username = parser.value("username");
    if (parser.isSet("password-file") &&
        !ReadPasswordFile(parser.value("password-file"), &options.password, &error)) {
        return UsageError(error);
    }
    options.subscriptions = {filter};
    MqttClient client(options);
    if (!client.Start(&error)) {
        return UsageError(error);
    }
    FleetWindow window(client);
    window.show();
    const int code = app.exec();
    client.Stop();
    return code;
}
