#pragma once

#include <QString>
#include <QStringList>

#include "Medium.h"

// The program's settings file TRIO.INI and the values read from it at
// start-up. Only the window's Open/Save (TestFileName01) and the connection
// panel's OK ("ConnectMode") write it.
struct ProgramSettings {
    static constexpr int kMaxActionNames = 20;
    static constexpr int kMaxLoadModeNames = 6;
    static constexpr int kMaxHighLowNames = 4;
    static constexpr int kDefaultMaxMissedPoints = 3;

    QString programFolder;  // no trailing separator
    QString settingsPath;   // programFolder + "/TRIO.INI"
    int channelNumber = 1;
    QString testFilePath;  // a relative stored name is taken from programFolder
    int saveLogFlag = 0;
    Medium medium = Medium::Lan;  // channel 1's medium
    bool lanMode = true;
    // Measurement points in a row without a number after which a run takes
    // the load for lost ("MaxMissedPoints"); at least 1.
    int maxMissedPoints = kDefaultMaxMissedPoints;
    QStringList actionNames;    // "TRIO Mode"
    QStringList loadModeNames;  // "Load Mode"
    QStringList highLowNames;   // "HighLow"

    // "TestFileName" + the channel number in two digits.
    QString TestFileKey() const;
    // The default test file of the channel: programFolder/TestFile01.INI.
    QString DefaultTestFilePath() const;
    // Remembers `path` as the channel's test file in the settings file; the
    // value here follows only when the file was written.
    bool StoreTestFilePath(const QString& path, QString* error = nullptr);
};

// Chooses the program folder: `homeArgument` (from --home DIR) when given,
// else the user's folder of an installed copy (InstalledCopy.h), else the
// executable's folder when it holds TRIO.INI or is writable, else the
// user's folder again (created when missing).
QString ProgramFolder(const QString& homeArgument, const QString& executableFolder);

// Finds "--home DIR" or "--home=DIR" in `arguments`; "" when absent.
QString HomeArgument(const QStringList& arguments);

// Reads the settings file of `programFolder`. A settings file that cannot be
// read, is no regular file or is larger than 16 MB gives the defaults, and
// `problem` (when given) receives what to tell the operator; else it is "".
ProgramSettings LoadProgramSettings(const QString& programFolder, QString* problem = nullptr);
