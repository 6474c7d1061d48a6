// zld-fleet: every station of the lab on one screen, from the MQTT broker.
#include <QApplication>
#include <cstdio>

#include "FleetCommandLine.h"
#include "FleetWindow.h"
#include "MqttClient.h"
#include "ProgramVersion.h"

int main(int argc, char** argv) {
    if (AsksForHelpOrVersion(ProgramArguments(argc, argv))) {
        return FleetCommandLine::Parse(ProgramArguments(argc, argv), ProgramVersion()).exitCode;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zld-fleet"));
    QApplication::setApplicationVersion(ProgramVersion());
    // Parsed after QApplication took its own options (-platform, -style, ...).
    const FleetCommandLine line = FleetCommandLine::Parse(app.arguments(), ProgramVersion());
    if (line.outcome != CommandLine::Outcome::Run) {
        return line.exitCode;
    }
    MqttClient client(line.broker);
    QString error;
    if (!client.Start(&error)) {
        std::fprintf(stderr, "zld-fleet: %s\n", error.toLocal8Bit().constData());
        return CommandLine::kUsageError;
    }
    FleetWindow window(client);
    window.show();
    const int code = QApplication::exec();
    client.Stop();
    return code;
}
