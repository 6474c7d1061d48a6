// zld3300: the window program.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

#include "Clock.h"
#include "InstalledCopy.h"
#include "InterruptWatcher.h"
#include "LocalTimeZone.h"
#include "LogViewer.h"
#include "MainWindow.h"
#include "ProgramVersion.h"
#include "QtOperator.h"
#include "RunStatusBar.h"
#include "SimulatedLoad.h"
#include "Station.h"
#include "WindowCommandLine.h"

namespace {
const QString kLoopback = QStringLiteral("127.0.0.1");

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/zld3300.png").arg(size), QSize(size, size));
    }
    return icon;
}

// The log viewer alone may be started from a script: its messages go to the
// terminal as well.
class LogViewerOperator : public QtOperator {
  public:
    void ShowMessage(const QString& text, const QString& title) override {
        std::fprintf(stderr, "zld3300: %s\n", text.toLocal8Bit().constData());
        QtOperator::ShowMessage(text, title);
    }
};

// Takes the picture of `window` `seconds` after start-up, then `close`s it; a
// script waits for that, so nothing is asked.
// A message box open at that moment is part of what the operator sees, so it
// is drawn over the window where the window centres it.
QPixmap WindowWithOpenBox(QWidget& window) {
    QPixmap picture = window.grab();
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || box == &window || !box->isVisible()) {
        return picture;
    }
    const QPixmap boxPicture = box->grab();
    QPainter painter(&picture);
    const QPoint centre = picture.rect().center();
    painter.drawPixmap(centre.x() - boxPicture.width() / 2, centre.y() - boxPicture.height() / 2,
                       boxPicture);
    painter.setPen(Qt::darkGray);
    painter.drawRect(centre.x() - boxPicture.width() / 2, centre.y() - boxPicture.height() / 2,
                     boxPicture.width() - 1, boxPicture.height() - 1);
    return picture;
}

void ScheduleScreenshot(QWidget& window, const QString& path, double seconds,
                        const std::function<void()>& close) {
    QTimer::singleShot(static_cast<int>(seconds * 1000), &window, [&window, path, close] {
        if (!WindowWithOpenBox(window).save(path)) {
            std::fprintf(stderr, "zld3300: cannot write %s\n", path.toLocal8Bit().constData());
        }
        close();
    });
}
}  // namespace

int main(int argc, char** argv) {
    if (AsksForHelpOrVersion(ProgramArguments(argc, argv))) {
        return WindowCommandLine::Parse(ProgramArguments(argc, argv), ProgramVersion()).exitCode;
    }
    ReadLocalTimeZoneOnce();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZLD"));
    QApplication::setApplicationName(QStringLiteral("zld3300"));
    QApplication::setApplicationVersion(ProgramVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("zld3300"));
    QApplication::setWindowIcon(ProgramIcon());
    // Watching from the start: a logout or a kill at any moment ends the
    // window as its close does, with the load released (handled below, once
    // the window exists; until the event loop runs a signal only waits).
    InterruptWatcher interrupts;
    // Parsed after QApplication took its own options (-platform, -style, ...).
    const WindowCommandLine line = WindowCommandLine::Parse(app.arguments(), ProgramVersion());
    if (line.outcome != CommandLine::Outcome::Run) {
        return line.exitCode;
    }

    if (!line.logPath.isEmpty()) {
        // Only the viewer: no station, so nothing reads TRIO.INI or goes near a load.
        LogViewerOperator op;
        LogViewer* viewer = LogViewer::Open(line.logPath, op);
        if (viewer == nullptr) {
            return 1;
        }
        if (!line.screenshotPath.isEmpty()) {
            ScheduleScreenshot(*viewer, line.screenshotPath, line.screenshotSeconds,
                               [viewer] { viewer->close(); });
        }
        // Nothing to release: a signal ends the viewer at once.
        QObject::connect(&interrupts, &InterruptWatcher::interrupted, viewer, [](int signalNumber) {
            QApplication::exit(InterruptWatcher::ExitCodeFor(signalNumber));
        });
        return app.exec();
    }

    const StartFolder folder = PrepareProgramFolder(line.home, QApplication::applicationDirPath());

    // Declared first so that it outlives the station's link to it.
    std::unique_ptr<SimulatedLoad> sim;
    QString simError;
    quint16 simPort = 0;
    if (line.sim) {
        SimOptions options;
        options.keepCommandsInMemory = false;
        sim = std::make_unique<SimulatedLoad>(options);
        simPort = sim->ListenTcp(0, &simError);
    }

    QtOperator op;
    Station station(op, SystemClock::Instance(), folder.path);
    MainWindow window(station, op);
    op.SetParentWidget(&window);

    if (sim && simPort != 0) {
        window.UseSessionLoad(kLoopback, simPort);
    } else if (!folder.copiedExamples.isEmpty()) {
        window.RunStatus().ShowNote(QStringLiteral("Example files copied to %1")
                                        .arg(QDir::toNativeSeparators(folder.path)));
    }
    QObject::connect(&station, &Station::startedUp, &window, [&] {
        if (!folder.error.isEmpty()) {
            op.ShowMessage(folder.error);
        }
        if (sim && simPort == 0) {
            op.ShowMessage(QStringLiteral("The simulated load could not start: %1").arg(simError));
        }
        if (line.start) {
            QTimer::singleShot(0, &station, &Station::Start);
        }
        if (!line.screenshotPath.isEmpty()) {
            ScheduleScreenshot(window, line.screenshotPath, line.screenshotSeconds, [&window] {
                window.CloseWithNobodyThere();
                QApplication::exit(0);
            });
        }
    });

    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &window, [&](int signalNumber) {
        // Nobody can answer a question now: a box that is open is dismissed
        // with its cautious answer, and the run ends as a close ends it.
        window.CloseWithNobodyThere();
        QApplication::exit(InterruptWatcher::ExitCodeFor(signalNumber));
    });

    window.show();
    const int code = app.exec();
    return interrupts.Caught() != 0 ? InterruptWatcher::ExitCodeFor(interrupts.Caught()) : code;
}
