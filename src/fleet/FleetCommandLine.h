#pragma once

#include <QString>

#include "CommandLine.h"
#include "MqttClient.h"

// zld-fleet's command line, checked: the broker to read and how to log in.
struct FleetCommandLine {
    MqttClient::Options broker;  // with the topic filter as its one subscription
    CommandLine::Outcome outcome = CommandLine::Outcome::Run;
    int exitCode = 0;  // for an outcome other than Run

    // The options, what they do and the exit codes: the one table of zld-fleet.
    static ProgramSpec Spec();
    // Reads `arguments` (the program's path first); answers --help and
    // --version and reports mistakes itself.
    static FleetCommandLine Parse(const QStringList& arguments, const QString& version);
};
