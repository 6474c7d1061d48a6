#pragma once

#include <QString>
#include <QStringList>

#include "CommandLine.h"

// The window program's command line, checked.
struct WindowCommandLine {
    static constexpr int kLongestScreenshotWait = 24 * 3600;

    QString home;  // "" when --home was not given
    bool sim = false;
    bool start = false;
    QString logPath;         // "" unless a data log is to be viewed
    QString screenshotPath;  // "" for no screenshot
    double screenshotSeconds = 20;
    CommandLine::Outcome outcome = CommandLine::Outcome::Run;
    int exitCode = 0;  // for an outcome other than Run

    // The options, what they do and the exit codes: the one table of zld3300.
    static ProgramSpec Spec();
    // Reads `arguments` (the program's path first); answers --help and
    // --version and reports mistakes itself.
    static WindowCommandLine Parse(const QStringList& arguments, const QString& version);
};
