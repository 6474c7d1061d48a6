#pragma once

#include <QString>
#include <QStringList>
#include <csignal>
#include <optional>

#include "CommandLine.h"

// zld-run's exit codes; --help lists them from RunnerCommandLine::Spec().
enum RunnerExitCode : int {
    kFinished = 0,
    kNotStarted = 1,
    kNoLoad = 2,
    kRunError = 3,
    kCheckFailed = 4,
    kUsage = CommandLine::kUsageError,
    // Ended by a signal, as a shell reports one: 128 + its number. SIGINT's
    // 130 also ends a run stopped from the lab's broker.
    kHungUp = 128 + SIGHUP,
    kInterrupted = 128 + SIGINT,
    kQuit = 128 + SIGQUIT,
    kTerminated = 128 + SIGTERM
};

// The headless runner's command line, checked.
struct RunnerCommandLine {
    QString home;  // "" when --home was not given
    QString testFile;
    std::optional<QString> serialNumber;
    bool sim = false;
    quint16 simPort = 0;  // 0: any free port
    QString simJournal;
    bool check = false;    // check the test and print the findings, run nothing
    QString publishUrl;    // null when --publish was not given
    bool resume = false;   // go on with the interrupted test of the program folder
    bool discard = false;  // drop the interrupted test, then run as usual

    CommandLine::Outcome outcome = CommandLine::Outcome::Run;
    int exitCode = 0;  // for an outcome other than Run

    // The options, what they do and the exit codes: the one table of zld-run.
    static ProgramSpec Spec();
    // Reads `arguments` (the program's path first); answers --help and
    // --version and reports mistakes itself.
    static RunnerCommandLine Parse(const QStringList& arguments, const QString& version);
};
