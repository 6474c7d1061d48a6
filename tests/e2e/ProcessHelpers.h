#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// What the tests of the programs as processes share.

// The lines of a program's output or of a file, CR LF or LF ended.
QStringList Lines(const QByteArray& bytes);

// Starts zld-sim on a free 127.0.0.1 port, its journal in `journal`, with
// the fault options `faults`; returns the port, or 0 when it did not start.
quint16 StartSim(QProcess& sim, const QString& journal, const QStringList& faults = {});

// A program folder whose test file is one long constant-current discharge
// (10 A for 600 s, a point every 0.2 s) on the load at 127.0.0.1:`port`, with
// the data log on.
void WriteLongDischarge(const QString& home, quint16 port);
