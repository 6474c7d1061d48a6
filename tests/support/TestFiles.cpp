#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "IniFile.h"
#include "StepRecord.h"

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

void WriteProgramFolder(const QString& folder, const QList<QStringList>& steps, int saveLogFlag,
                        double measureTime) {
    IniFile settings;
    settings.SetValue("TRIO", "SaveLogFileFlag", QString::number(saveLogFlag));
    settings.SetValue("TRIO", "ConnectMode", "2");
    IniFile test;
    test.SetValue("TestStep Option", "MeasureTime", QString::number(measureTime));
    test.SetValue("TestStep Option", "TotalStepCount", QString::number(steps.size()));
    for (int i = 0; i < steps.size(); ++i) {
        for (int f = 0; f < kStepFieldCount; ++f) {
            test.SetValue(QStringLiteral("Step%1").arg(i + 1), StepFieldKeys()[f],
                          f < steps[i].size() ? steps[i][f] : QString());
        }
    }
    if (!settings.Save(QDir(folder).filePath("TRIO.INI")) ||
        !test.Save(QDir(folder).filePath("TestFile01.INI"))) {
        throw std::runtime_error("cannot write the program folder " + folder.toStdString());
    }
}

QList<QStringList> LoopedDischargeSteps() {
    return {
        {"Suspend", "", "", "1", "0", "", "", "0.25", "NextStep"},
        {"FOR", "", "", "", "2"},
        {"DisCharge", "CC", "6", "1.5", "0", "0", "0", "0.25", "NextStep"},
        {"LOOP"},
    };
}
