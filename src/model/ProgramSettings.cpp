#include "ProgramSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "IniFile.h"
#include "InstalledCopy.h"
#include "NumberText.h"

namespace {
const QString kTrio = QStringLiteral("TRIO");
const QString kSettingsFileName = QStringLiteral("TRIO.INI");

QString JoinPath(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(QDir(folder).filePath(name));
}

// A relative test file name lives in the program folder, so that a program
// folder can be moved or copied as a whole. An empty name stays empty.
QString ResolveAgainst(const QString& folder, const QString& path) {
    if (path.isEmpty() || QDir::isAbsolutePath(path)) {
        return path;
    }
    return JoinPath(folder, path);
}

// A "Total" key and its numbered entries ("001", "002", ...), at most `limit`.
QStringList ReadNameList(const IniFile& ini, const QString& section, int limit) {
    const int total =
        qBound(0, RoundedInteger(NumericValue(ini.Value(section, "Total", "0"))), limit);
    QStringList names;
    for (int k = 1; k <= total; ++k) {
        names << ini.Value(section, QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0')),
                           QString());
    }
    return names;
}
}  // namespace

QString ProgramSettings::TestFileKey() const {
    return QStringLiteral("TestFileName%1").arg(channelNumber, 2, 10, QLatin1Char('0'));
}

QString ProgramSettings::DefaultTestFilePath() const {
    return JoinPath(programFolder,
                    QStringLiteral("TestFile%1.INI").arg(channelNumber, 2, 10, QLatin1Char('0')));
}

bool ProgramSettings::StoreTestFilePath(const QString& path, QString* error) {
    if (!WriteSetting(settingsPath, kTrio, TestFileKey(), path, error)) {
        return false;
    }
    testFilePath = path;
    return true;
}

QString HomeArgument(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--home") && i + 1 < arguments.size()) {
            return arguments[i + 1];
        }
        if (arg.startsWith(QLatin1String("--home="))) {
            return arg.mid(7);
        }
    }
    return QString();
}

QString ProgramFolder(const QString& homeArgument, const QString& executableFolder) {
    QString folder;
    if (!homeArgument.isEmpty()) {
        folder = QFileInfo(homeArgument).absoluteFilePath();
    } else if (!InstalledDataFolder(executableFolder).isEmpty()) {
        // Even root may not scatter settings and logs into the system's bin/.
        folder = UserProgramFolder();
    } else {
        const QFileInfo exe(executableFolder);
        if (QFileInfo::exists(QDir(executableFolder).filePath(kSettingsFileName)) ||
            (exe.isDir() && exe.isWritable())) {
            folder = exe.absoluteFilePath();
        } else {
            folder = UserProgramFolder();
        }
    }
    QDir().mkpath(folder);
    return QDir::toNativeSeparators(QDir::cleanPath(folder));
}

ProgramSettings LoadProgramSettings(const QString& programFolder, QString* problem) {
    ProgramSettings s;
    s.programFolder = programFolder;
    s.settingsPath = JoinPath(programFolder, kSettingsFileName);
    s.channelNumber = 1;
    IniFile ini;
    QString reason;
    IniFile::ReadProblem readProblem = IniFile::ReadProblem::None;
    if (!IniFile::LoadForUpdate(s.settingsPath, &ini, &reason, &readProblem)) {
        ini = IniFile::FromBytes(QByteArray());
    }
    if (problem != nullptr) {
        *problem = readProblem == IniFile::ReadProblem::None
                       ? QString()
                       : ReadProblemMessage(s.settingsPath, QStringLiteral("settings file"),
                                            readProblem, reason);
    }
    s.testFilePath =
        ResolveAgainst(programFolder, ini.Value(kTrio, s.TestFileKey(), s.DefaultTestFilePath()));
    s.saveLogFlag = RoundedInteger(NumericValue(ini.Value(kTrio, "SaveLogFileFlag", "0")));
    const int missed = RoundedInteger(NumericValue(ini.Value(kTrio, "MaxMissedPoints", "0")));
    s.maxMissedPoints = missed >= 1 ? missed : ProgramSettings::kDefaultMaxMissedPoints;
    s.medium = StoredMedium(ini);
    s.lanMode = s.medium == Medium::Lan;
    s.actionNames = ReadNameList(ini, "TRIO Mode", ProgramSettings::kMaxActionNames);
    s.loadModeNames = ReadNameList(ini, "Load Mode", ProgramSettings::kMaxLoadModeNames);
    s.highLowNames = ReadNameList(ini, "HighLow", ProgramSettings::kMaxHighLowNames);
    return s;
}
