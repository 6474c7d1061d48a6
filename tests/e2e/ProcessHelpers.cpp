#include "ProcessHelpers.h"

#include <QRegularExpression>

QStringList Lines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
}

quint16 StartSim(QProcess& sim, const QString& journal) {
    sim.start(ZLD_SIM_PATH, {"--port", "0", "--journal", journal});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        return 0;
    }
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    const auto match = listening.match(QString::fromUtf8(sim.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toUShort() : 0;
}
