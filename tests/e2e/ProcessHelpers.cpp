#include "ProcessHelpers.h"

#include <QRegularExpression>

#include "IniFile.h"

QStringList Lines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
}

quint16 StartSim(QProcess& sim, const QString& journal, const QStringList& faults) {
    sim.start(ZLD_SIM_PATH, QStringList{"--port", "0", "--journal", journal} + faults);
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        return 0;
    }
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    const auto match = listening.match(QString::fromUtf8(sim.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toUShort() : 0;
}

void WriteLongDischarge(const QString& home, quint16 port) {
    WriteSetting(home + "/TRIO.INI", "TRIO", "SaveLogFileFlag", "1");
    const QString test = home + "/TestFile01.INI";
    WriteSetting(test, "TestStep Option", "TotalStepCount", "1");
    const QStringList values{"DisCharge", "CC", "10", "600", "0", "0", "0", "0.2", "NextStep"};
    const QStringList keys{"ActionMode", "LoadModeVolt", "CurrentValue", "StopTime", "StopValue",
                           "StableTime", "StopAH",       "MeasTime",     "GoToStep"};
    for (int i = 0; i < keys.size(); ++i) {
        WriteSetting(test, "Step1", keys[i], values[i]);
    }
    WriteSetting(test, "Load1 Option", "IP", "127.0.0.1");
    WriteSetting(test, "Load1 Option", "Port", QString::number(port));
    WriteSetting(test, "Load1 Option", "LoadCheck", "1");
}
