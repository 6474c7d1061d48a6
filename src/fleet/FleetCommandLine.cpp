#include "FleetCommandLine.h"

#include "TelemetrySettings.h"

ProgramSpec FleetCommandLine::Spec() {
    ProgramSpec spec;
    spec.name = QStringLiteral("zld-fleet");
    spec.summary = QStringLiteral(
        "The lab at a glance: every ZLD-3300 station publishing to an MQTT broker, one row "
        "each, with a live chart per station and a Stop button where a station allows it.");
    spec.options = {
        {{"broker"}, "HOST:PORT", "The lab's MQTT broker (required)."},
        {{"topic"}, "FILTER", "Topic filter of the stations (default zld3300/#)."},
        {{"username"}, "NAME", "User name at the broker."},
        {{"password-file"}, "FILE", "File whose first line is the password."},
        {{"cafile"}, "FILE", "Certificate authority of the broker's TLS certificate (TLS)."},
    };
    spec.exitCodes = {{0, "the window was closed"}};
    return spec;
}

FleetCommandLine FleetCommandLine::Parse(const QStringList& arguments, const QString& version) {
    FleetCommandLine line;
    CommandLine parser(Spec(), version);
    if (parser.Parse(arguments) == CommandLine::Outcome::Run) {
        TelemetrySettings settings;
        settings.caFile = parser.Value(QStringLiteral("cafile"));
        settings.tls = !settings.caFile.isEmpty();
        const QString filter = parser.IsSet(QStringLiteral("topic"))
                                   ? parser.Value(QStringLiteral("topic"))
                                   : QStringLiteral("zld3300/#");
        QString error;
        if (!parser.IsSet(QStringLiteral("broker"))) {
            parser.Refuse(QStringLiteral("--broker HOST:PORT is required."));
        } else if (!ParseBroker(parser.Value(QStringLiteral("broker")), &settings, &error)) {
            parser.Refuse(error);
        } else if (filter.isEmpty() || filter.startsWith(QLatin1Char('/'))) {
            parser.Refuse(QStringLiteral("--topic wants a topic filter such as zld3300/#."));
        } else if (parser.IsSet(QStringLiteral("password-file")) &&
                   !ReadPasswordFile(parser.Value(QStringLiteral("password-file")),
                                     &line.broker.password, &error)) {
            parser.Refuse(error);
        }
        line.broker.host = settings.host;
        line.broker.port = settings.port;
        line.broker.tls = settings.tls;
        line.broker.caFile = settings.caFile;
        line.broker.username = parser.Value(QStringLiteral("username"));
        line.broker.subscriptions = {filter};
    }
    line.outcome = parser.Result();
    line.exitCode = parser.ExitCode();
    return line;
}
