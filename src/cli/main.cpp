// zld-run: runs a test file against the load without a window.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "Clock.h"
#include "InterruptWatcher.h"
#include "LoadConnection.h"
#include "ProgramSettings.h"
#include "RunProgress.h"
#include "SimulatedLoad.h"
#include "Station.h"
#include "TerminalOperator.h"

namespace {
enum ExitCode : int {
    kFinished = 0,
    kNotStarted = 1,
    kNoLoad = 2,
    kRunError = 3,
    kUsage = 64,
    kInterrupted = 130
};

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
    }
    return kRunError;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zld-run"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs a battery test on the 3-phase load without a window.\n"
        "Exit codes: 0 finished, 1 not started, 2 no load answered, 3 stopped by an error, "
        "130 interrupted."));
    parser.addHelpOption();
    parser.addOption({"home", "Program folder holding TRIO.INI and TestLog/.", "DIR"});
    parser.addOption({"test", "Test file to run (default: the last one used).", "FILE"});
    parser.addOption({"sn", "Serial number that names the data log.", "SERIAL"});
    parser.addOption({"sim",
                      "Run against a simulated load started in this process on 127.0.0.1 "
                      "(optionally on PORT, e.g. --sim=4001)."});
    parser.addOption({"sim-port", "Port of the simulated load (0 = any free port).", "PORT", "0"});
    parser.addOption({"sim-journal", "Journal file of the simulated load's commands.", "FILE"});
    QStringList arguments = app.arguments();
    // Accept --sim=PORT as well as --sim.
    for (QString& arg : arguments) {
        if (arg.startsWith(QLatin1String("--sim="))) {
            arg = QStringLiteral("--sim-port=") + arg.mid(6);
            arguments << QStringLiteral("--sim");
            break;
        }
    }
    parser.process(arguments);
    if (!parser.isSet("home")) {
        std::fprintf(stderr, "zld-run: --home DIR is required\n");
        return kUsage;
    }

    const QString folder = ProgramFolder(parser.value("home"), QString());
    TerminalOperator op;
    Station station(op, SystemClock::Instance(), folder);
    station.StartUp();

    if (parser.isSet("test")) {
        const QString path = QFileInfo(parser.value("test")).absoluteFilePath();
        station.Test().SetPath(QDir::toNativeSeparators(path));
        station.Connection().LoadConnectionSettings(station.Settings().settingsPath, path);
        station.Test().LoadTestFile(op);
    }
    // A save the run asks for goes back to the same test file.
    op.SetFileAnswer(station.Test().Path());
    if (parser.isSet("sn")) {
        station.Views().Set(Displays::SNText, parser.value("sn"));
    }

    std::unique_ptr<SimulatedLoad> sim;
    if (parser.isSet("sim") || parser.isSet("sim-port")) {
        SimOptions options;
        options.journalPath = parser.value("sim-journal");
        sim = std::make_unique<SimulatedLoad>(options);
        QString error;
        const quint16 port = sim->ListenTcp(parser.value("sim-port").toUShort(), &error);
        if (port == 0) {
            std::fprintf(stderr, "zld-run: simulated load: %s\n", error.toLocal8Bit().constData());
            return kNotStarted;
        }
        std::printf("simulated load on 127.0.0.1:%u\n", port);
        station.UseLanLoad(QStringLiteral("127.0.0.1"), port);
    }

    RunProgress progress(station);
    InterruptWatcher interrupts;
    int exitCode = kRunError;
    bool interrupted = false;
    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &station, [&] {
        interrupted = true;
        station.StopCommand_Click();
        QCoreApplication::exit(kInterrupted);
    });
    QObject::connect(&station.Control(), &RunControl::runEnded, &app, [&](RunOutcome outcome) {
        exitCode = interrupted ? kInterrupted : ExitCodeOf(outcome);
        QCoreApplication::exit(exitCode);
    });
    QObject::connect(&station.Control(), &RunControl::runStarted, &app, [&] {
        const QString log = station.Views().Get(Displays::LogFilePath);
        if (station.Settings().saveLogFlag == 1) {
            std::printf("data log %s\n", log.toLocal8Bit().constData());
        }
        std::fflush(stdout);
    });

    // Start once the event loop runs, so that its waits can process events.
    QTimer::singleShot(0, &station, [&] { station.StartCommand_Click(); });
    const int code = app.exec();
    if (station.State().Running) {
        station.Shutdown();
    }
    return interrupted ? kInterrupted : code;
}
