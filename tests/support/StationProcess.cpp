#include "StationProcess.h"

#include <QRegularExpression>

#include "IniFile.h"
#include "TestFiles.h"

StationProcess::StationProcess(double dischargeSeconds, double measureSeconds,
                               const QStringList& telemetryKeys) {
    WriteProgramFolder(m_home.path(),
                       {{"DisCharge", "CC", "10", QString::number(dischargeSeconds), "0", "0", "0",
                         QString::number(measureSeconds), "NextStep"}},
                       1, measureSeconds);
    for (const QString& pair : telemetryKeys) {
        WriteSetting(m_home.filePath("TRIO.INI"), "Telemetry", pair.section('=', 0, 0),
                     pair.section('=', 1));
    }
}

StationProcess::~StationProcess() {
    Kill();
}

void StationProcess::Start(const QString& runnerPath, const QString& serial,
                           const QString& publishUrl) {
    m_serial = serial;
    QStringList arguments{"--home", m_home.path(), "--sim", "--sn", serial};
    if (!publishUrl.isEmpty()) {
        arguments << "--publish" << publishUrl;
    }
    m_process.start(runnerPath, arguments);
    m_process.waitForStarted(10000);
}

bool StationProcess::WaitForEnd(int timeoutMs) {
    return m_process.waitForFinished(timeoutMs);
}

void StationProcess::Kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QStringList StationProcess::LogLines() const {
    QStringList lines =
        QString::fromUtf8(ReadFileBytes(m_home.filePath("TestLog/" + m_serial + ".CSV")))
            .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    if (!lines.isEmpty()) {
        lines.removeFirst();
    }
    return lines;
}

QString StationProcess::Stderr() {
    m_stderr += m_process.readAllStandardError();
    return QString::fromUtf8(m_stderr);
}
