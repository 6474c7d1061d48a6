#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Small helpers for tests that work on real files in a temporary folder.
void WriteFileBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadFileBytes(const QString& path);

// Writes a program folder: TRIO.INI (log flag, LAN) and TestFile01.INI with
// `steps`, each the twelve step fields in file order (missing trailing
// fields are written empty). Throws when a file cannot be written.
void WriteProgramFolder(const QString& folder, const QList<QStringList>& steps, int saveLogFlag = 1,
                        double measureTime = 0.01);

// A rest, then a 6 A discharge of 1.5 s run twice by a FOR loop, points every
// quarter second: a short test whose data log holds three stretches of steps.
QList<QStringList> LoopedDischargeSteps();
