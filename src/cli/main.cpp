// zld-run: runs a test file against the load without a window.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "CheckPrinter.h"
#include "Clock.h"
#include "InstalledCopy.h"
#include "InterruptWatcher.h"
#include "LoadConnection.h"
#include "LocalTimeZone.h"
#include "PlainEventLoop.h"
#include "ProgramVersion.h"
#include "RunProgress.h"
#include "RunnerCommandLine.h"
#include "SimulatedLoad.h"
#include "StartCheck.h"
#include "Station.h"
#include "StationTelemetry.h"
#include "TerminalOperator.h"
#include "UnattendedRuns.h"

namespace {
int ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Finished:
            return kFinished;
        case RunOutcome::NoLoad:
            return kNoLoad;
        case RunOutcome::Error:
            return kRunError;
        case RunOutcome::Stopped:
            return kInterrupted;
        case RunOutcome::NotStarted:
            return kNotStarted;
        case RunOutcome::CheckFailed:
            return kCheckFailed;
    }
    return kRunError;
}

// What waits for the broker gets this long to go out when the run is over.
constexpr int kTelemetryFlushMs = 5000;

void StopTelemetry(StationTelemetry* telemetry) {
    if (!telemetry) {
        return;
    }
    telemetry->Shutdown(kTelemetryFlushMs);
    const MqttClient::Counters counters = telemetry->Client()->Stats();
    const qint64 lost = counters.waiting + counters.inFlight + counters.dropped;
    if (lost > 0) {
        std::fprintf(stderr, "zld-run: telemetry: %lld messages did not reach the broker\n",
                     static_cast<long long>(lost));
    }
}

// An interrupted test in the program folder is resumed (--resume; with --sn,
// that serial number's), dropped (--discard, every one) or, without either,
// stops the runner: a new run would bury it.
// Returns an exit code when the runner ends here.
std::optional<int> HandleInterrupted(const RunnerCommandLine& line, UnattendedRuns& unattended,
                                     Operator& op, const QString& folder) {
    const QVector<InterruptedRun> runs = unattended.FindInterrupted();
    const QString serial = line.serialNumber.value_or(QString());
    const auto chosen = std::find_if(runs.cbegin(), runs.cend(), [&](const InterruptedRun& run) {
        return serial.isEmpty() || run.SerialNumber() == serial;
    });
    if (line.resume) {
        if (chosen == runs.cend()) {
            op.ShowMessage(serial.isEmpty()
                               ? QStringLiteral("No interrupted test to resume in %1.").arg(folder)
                               : QStringLiteral("No interrupted test of %1 to resume in %2.")
                                     .arg(serial, folder));
            return kNotStarted;
        }
        std::printf("resuming: %s\n", chosen->Description().toLocal8Bit().constData());
        if (!unattended.PrepareResume(*chosen)) {
            return kNotStarted;
        }
        return std::nullopt;
    }
    if (line.discard) {
        for (const InterruptedRun& run : runs) {
            const QString kept = unattended.Discard(run);
            if (kept.isEmpty()) {
                return kNotStarted;
            }
            std::printf("interrupted test of %s dropped; its journal is kept as %s\n",
                        run.SerialNumber().toLocal8Bit().constData(),
                        kept.toLocal8Bit().constData());
        }
        return std::nullopt;
    }
    if (!runs.isEmpty()) {
        op.ShowMessage(QStringLiteral("An interrupted test of %1 exists; run with --resume to "
                                      "continue it or --discard to drop it.")
                           .arg(runs.first().SerialNumber()));
        return kNotStarted;
    }
    return std::nullopt;
}
}  // namespace

int main(int argc, char** argv) {
    ReadLocalTimeZoneOnce();
    UsePlainEventLoop();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zld-run"));
    const RunnerCommandLine line =
        RunnerCommandLine::Parse(QCoreApplication::arguments(), ProgramVersion());
    if (line.outcome != CommandLine::Outcome::Run) {
        return line.exitCode;
    }
    if (line.check && line.home.isEmpty() && !line.testFile.isEmpty()) {
        // A test file alone is checked without preparing a program folder.
        TerminalOperator op;
        TestDocument test;
        if (!test.OpenTestFile(
                QDir::toNativeSeparators(QFileInfo(line.testFile).absoluteFilePath()), op)) {
            return kNotStarted;
        }
        return CheckCommand(test);
    }

    const StartFolder folder =
        PrepareProgramFolder(line.home, QCoreApplication::applicationDirPath());
    if (!folder.copiedExamples.isEmpty()) {
        std::printf("program folder %s: example files %s copied\n",
                    folder.path.toLocal8Bit().constData(),
                    folder.copiedExamples.join(QStringLiteral(", ")).toLocal8Bit().constData());
    }
    if (!folder.error.isEmpty()) {
        std::fprintf(stderr, "zld-run: %s\n", folder.error.toLocal8Bit().constData());
    }
    TerminalOperator op;
    Station station(op, SystemClock::Instance(), folder.path);
    UnattendedRuns unattended(station, QStringLiteral("zld-run"), ProgramVersion());
    station.StartUp();

    if (!line.check) {
        if (const auto code =
                HandleInterrupted(line, unattended, station.OperatorSeam(), folder.path)) {
            std::fflush(stdout);
            return *code;
        }
    }
    if (!line.testFile.isEmpty()) {
        const QString path = QDir::toNativeSeparators(QFileInfo(line.testFile).absoluteFilePath());
        if (!station.Test().OpenTestFile(path, op)) {
            return kNotStarted;
        }
        station.Connection().LoadConnectionSettings(station.Settings().settingsPath, path);
    }
    if (line.check) {
        return CheckCommand(station.Test());
    }
    // A save the run asks for goes back to the same test file; warnings of
    // the check are printed and the run goes on.
    op.SetFileAnswer(station.Test().Path());
    op.SetChoiceAnswer(QString::fromLatin1(kStartAnyway));
    if (line.serialNumber && !line.resume) {
        station.Views().Set(Displays::SerialNumber, *line.serialNumber);
    }

    std::unique_ptr<SimulatedLoad> sim;
    if (line.sim) {
        SimOptions options;
        options.journalPath = line.simJournal;
        options.keepCommandsInMemory = false;
        sim = std::make_unique<SimulatedLoad>(options);
        QString error;
        const quint16 port = sim->ListenTcp(line.simPort, &error);
        if (port == 0) {
            std::fprintf(stderr, "zld-run: simulated load: %s\n", error.toLocal8Bit().constData());
            return kNotStarted;
        }
        std::printf("simulated load on 127.0.0.1:%u\n", port);
        station.UseLanLoad(QStringLiteral("127.0.0.1"), port);
    }

    std::unique_ptr<StationTelemetry> telemetry =
        StartStationTelemetry(station, op, line.publishUrl);
    if (telemetry) {
        QObject::connect(&unattended, &UnattendedRuns::resultsFinished, telemetry.get(),
                         &StationTelemetry::PublishResultsFile);
        std::printf("telemetry to %s, topic %s/\n",
                    telemetry->Settings().BrokerText().toLocal8Bit().constData(),
                    telemetry->Settings().topic.toLocal8Bit().constData());
    }

    RunProgress progress(station);
    // Ctrl-C, kill, a closed terminal or a dropped SSH session end the run
    // as Stop does: the load is switched off and the log closed first.
    InterruptWatcher interrupts;
    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &station, [&](int signalNumber) {
        station.Stop();
        QCoreApplication::exit(InterruptWatcher::ExitCodeFor(signalNumber));
    });
    QObject::connect(&station.Control(), &RunControl::runEnded, &app, [&](RunOutcome outcome) {
        QCoreApplication::exit(interrupts.Caught() != 0
                                   ? InterruptWatcher::ExitCodeFor(interrupts.Caught())
                                   : ExitCodeOf(outcome));
    });
    QObject::connect(&station.Control(), &RunControl::runStarted, &app, [&] {
        const QString log = station.Views().Get(Displays::LogFilePath);
        if (station.Settings().saveLogFlag == 1) {
            std::printf("data log %s\n", log.toLocal8Bit().constData());
        }
        std::fflush(stdout);
    });

    // Start once the event loop runs, so that its waits can process events.
    QTimer::singleShot(0, &station, [&] {
        if (line.resume) {
            unattended.StartPreparedResume();
        } else {
            station.Start();
        }
    });
    const int code = app.exec();
    if (station.State().Running) {
        station.Shutdown();
    }
    StopTelemetry(telemetry.get());
    return interrupts.Caught() != 0 ? InterruptWatcher::ExitCodeFor(interrupts.Caught()) : code;
}
