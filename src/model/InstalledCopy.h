#pragma once

#include <QString>
#include <QStringList>

// An installed copy of the programs (bin/ beside share/zld3300/) cannot keep
// its program folder beside the executable: each user gets one under the
// user's data folder, started from the example files the copy ships.

// The shared data folder of the installed copy whose executable lies in
// `executableFolder`; "" when the executable is a build in a checkout.
QString InstalledDataFolder(const QString& executableFolder);

// The program folder of an installed copy: $XDG_DATA_HOME/zld3300, usually
// ~/.local/share/zld3300.
QString UserProgramFolder();

// First start of an installed copy: when `programFolder` holds no TRIO.INI
// yet, copies the example TRIO.INI and test file into it. Never replaces a
// file. Returns the names of the files copied; a failed copy is described
// in `error`.
QStringList CopyExampleFiles(const QString& programFolder, const QString& executableFolder,
                             QString* error);

// The program folder a program starts with, set up on the first start of an
// installed copy: ProgramFolder() (ProgramSettings.h), then CopyExampleFiles().
struct StartFolder {
    QString path;
    QStringList copiedExamples;
    QString error;  // a copy that failed; "" when all went well
};
StartFolder PrepareProgramFolder(const QString& homeArgument, const QString& executableFolder);
