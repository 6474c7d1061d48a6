#include "InstalledCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "ProgramSettings.h"

namespace {
// Relative paths from the installed bin/ folder, set by the build from the
// install layout, so that a copy unpacked under any root finds its files.
const QString kDataFromBin = QStringLiteral(ZLD_DATA_FROM_BIN);
const QString kExampleFolder = QStringLiteral("examples/demo");
const QString kSettingsFileName = QStringLiteral("TRIO.INI");
const QString kUserFolderName = QStringLiteral("zld3300");
}  // namespace

QString InstalledDataFolder(const QString& executableFolder) {
    if (executableFolder.isEmpty()) {
        return QString();
    }
    const QString data = QDir::cleanPath(QDir(executableFolder).filePath(kDataFromBin));
    return QFileInfo(QDir(data).filePath(kExampleFolder)).isDir() ? data : QString();
}

QString UserProgramFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(kUserFolderName);
}

QStringList CopyExampleFiles(const QString& programFolder, const QString& executableFolder,
                             QString* error) {
    const QString data = InstalledDataFolder(executableFolder);
    const QDir target(programFolder);
    if (data.isEmpty() || target.exists(kSettingsFileName)) {
        return {};
    }
    const QDir examples(QDir(data).filePath(kExampleFolder));
    QStringList copied;
    QStringList failed;
    // TRIO.INI goes last, and only after the rest: once it is there, the
    // folder counts as set up and a next start copies nothing.
    QStringList names = examples.entryList({QStringLiteral("*.INI")}, QDir::Files, QDir::Name);
    names.removeAll(kSettingsFileName);
    names << kSettingsFileName;
    for (const QString& name : names) {
        const QString path = target.filePath(name);
        if (name == kSettingsFileName && !failed.isEmpty()) {
            failed << name;
            break;
        }
        if (QFileInfo::exists(path)) {
            continue;
        }
        if (!QFile::copy(examples.filePath(name), path)) {
            failed << name;
            continue;
        }
        // Installed files are read-only; the user's copies are to be edited.
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
        copied << name;
    }
    if (!failed.isEmpty() && error) {
        *error =
            QStringLiteral("Cannot copy the example files %1 from %2 to %3.")
                .arg(failed.join(QStringLiteral(", ")), QDir::toNativeSeparators(examples.path()),
                     QDir::toNativeSeparators(programFolder));
    }
    return copied;
}

StartFolder PrepareProgramFolder(const QString& homeArgument, const QString& executableFolder) {
    StartFolder folder;
    folder.path = ProgramFolder(homeArgument, executableFolder);
    folder.copiedExamples = CopyExampleFiles(folder.path, executableFolder, &folder.error);
    return folder;
}
