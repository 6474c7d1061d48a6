#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>

#include "PlainEventLoop.h"
#include "ProgramVersion.h"
#include "SimCommandLine.h"
#include "SimulatedLoad.h"

namespace {
// SIGINT and SIGTERM arrive through this pipe so that the event loop, not
// the signal handler, ends the program.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool CatchStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int Fail(const QString& message) {
    QTextStream(stderr) << "zld-sim: " << message << Qt::endl;
    return SimCommandLine::kCannotServe;
}
}  // namespace

int main(int argc, char** argv) {
    UsePlainEventLoop();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zld-sim"));
    const SimCommandLine line =
        SimCommandLine::Parse(QCoreApplication::arguments(), ProgramVersion());
    if (line.outcome != CommandLine::Outcome::Run) {
        return line.exitCode;
    }
    if (!CatchStopSignals()) {
        return Fail(QStringLiteral("cannot catch SIGINT and SIGTERM."));
    }
    QSocketNotifier stopNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    SimOptions options = line.options;
    options.keepCommandsInMemory = false;
    SimulatedLoad load(options);
    if (!load.JournalError().isEmpty()) {
        return Fail(load.JournalError());
    }
    load.SetFaults(line.faults);
    QString error;
    const quint16 port = load.ListenTcp(line.port, &error);
    if (port == 0) {
        return Fail(error);
    }
    QTextStream out(stdout);
    out << "zld-sim listening on 127.0.0.1:" << port << Qt::endl;
    if (line.pty) {
        const QString device = load.OpenPty(&error);
        if (device.isEmpty()) {
            return Fail(error);
        }
        out << "zld-sim serial on " << device << Qt::endl;
    }
    app.exec();
    return 0;
}
