#pragma once

#include <QString>
#include <QStringList>

#include "CommandLine.h"
#include "SimulatedLoad.h"

// The simulator program's command line, checked.
struct SimCommandLine {
    static constexpr int kCannotServe = 1;  // exit code: port taken, journal not writable

    SimOptions options;
    SimFaults faults;
    quint16 port = 4001;
    bool pty = false;
    CommandLine::Outcome outcome = CommandLine::Outcome::Run;
    int exitCode = 0;  // for an outcome other than Run

    // The options, what they do and the exit codes: the one table of zld-sim.
    static ProgramSpec Spec();
    // Reads `arguments` (the program name first); answers --help and
    // --version and reports mistakes itself.
    static SimCommandLine Parse(const QStringList& arguments, const QString& version = QString());
};
