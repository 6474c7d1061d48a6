// zld3300: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "Clock.h"
#include "MainWindow.h"
#include "ProgramSettings.h"
#include "QtOperator.h"
#include "RunStatusBar.h"
#include "SimulatedLoad.h"
#include "Station.h"

namespace {
const QString kLoopback = QStringLiteral("127.0.0.1");
constexpr int kLongestScreenshotWait = 24 * 3600;

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Control program for the ZLD-3300 TRIO 3-phase electronic load."));
    parser.addHelpOption();
    parser.addOption(
        {"home", "Program folder holding TRIO.INI, the test files and TestLog/.", "DIR"});
    parser.addOption({"sim",
                      "Try the program without hardware: a simulated load runs inside the "
                      "program on 127.0.0.1 and channel 1 uses it for this session."});
    parser.addOption({"start", "Press Start Test once the window has started up."});
    parser.addOption(
        {"screenshot", "Save a picture of the window to FILE, then close it.", "FILE"});
    parser.addOption({"screenshot-after",
                      "Seconds after start-up to take the screenshot (default 20).", "SECONDS",
                      "20"});
}

// Takes the picture `seconds` after start-up and closes the window.
void ScheduleScreenshot(MainWindow& window, const QString& path, double seconds) {
    QTimer::singleShot(static_cast<int>(seconds * 1000), &window, [&window, path] {
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "zld3300: cannot write %s\n", path.toLocal8Bit().constData());
        }
        window.close();
    });
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZLD"));
    QApplication::setApplicationName(QStringLiteral("zld3300"));
    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(app);

    // A mistyped delay would take the picture at once, or never and leave a
    // demo script waiting for the window to close.
    bool secondsOk = false;
    const double screenshotSeconds = parser.value("screenshot-after").toDouble(&secondsOk);
    if (!secondsOk || !(screenshotSeconds >= 0 && screenshotSeconds <= kLongestScreenshotWait)) {
        std::fprintf(stderr, "zld3300: --screenshot-after wants seconds from 0 to %d, not %s\n",
                     kLongestScreenshotWait,
                     parser.value("screenshot-after").toLocal8Bit().constData());
        return 2;
    }

    const QString folder =
        ProgramFolder(HomeArgument(app.arguments()), QApplication::applicationDirPath());

    // Declared first so that it outlives the station's link to it.
    std::unique_ptr<SimulatedLoad> sim;
    QString simError;
    quint16 simPort = 0;
    if (parser.isSet("sim")) {
        sim = std::make_unique<SimulatedLoad>();
        simPort = sim->ListenTcp(0, &simError);
    }

    QtOperator op;
    Station station(op, SystemClock::Instance(), folder);
    MainWindow window(station, op);
    op.SetParentWidget(&window);

    if (sim && simPort != 0) {
        window.UseSessionLoad(kLoopback, simPort);
        window.RunStatus().ShowNote(
            QStringLiteral("Simulated load on %1:%2").arg(kLoopback).arg(simPort));
    }
    QObject::connect(&station, &Station::startedUp, &window, [&] {
        if (sim && simPort == 0) {
            op.ShowMessage(QStringLiteral("The simulated load could not start: %1").arg(simError));
        }
        if (parser.isSet("start")) {
            QTimer::singleShot(0, &station, &Station::StartCommand_Click);
        }
        if (parser.isSet("screenshot")) {
            ScheduleScreenshot(window, parser.value("screenshot"), screenshotSeconds);
        }
    });

    window.show();
    return app.exec();
}
