#pragma once

#include <QString>
#include <QStringList>

#include "SimulatedLoad.h"

// The simulator program's command line, checked.
struct SimCommandLine {
    SimOptions options;
    SimFaults faults;
    quint16 port = 4001;
    bool pty = false;
    bool helpShown = false;  // --help or --version was answered; nothing to run
    QString error;           // "" when the line was understood

    // Reads `arguments` (the program name first).
    static SimCommandLine Parse(const QStringList& arguments);
};
