#include "WindowCommandLine.h"

#include "SharedOptions.h"

ProgramSpec WindowCommandLine::Spec() {
    ProgramSpec spec;
    spec.name = QStringLiteral("zld3300");
    spec.summary = QStringLiteral(
        "Control program for the ZLD-3300 TRIO 3-phase AC/DC electronic load: edit a battery "
        "test as a table of steps, connect the load over GPIB, serial or LAN, run the test, "
        "watch the three phases and keep a CSV data log of every measurement point.");
    spec.options = {
        HomeOption(),
        {{"sim"},
         "",
         "Try the program without hardware: a simulated load runs inside the program on "
         "127.0.0.1 and channel 1 uses it for this session; no file is changed for it."},
        {{"start"}, "", "Press Start Test once the window has started up."},
        {{"log"},
         "FILE",
         "Open the data log FILE (finished or still being written) in the log viewer instead "
         "of the control window."},
        {{"screenshot"}, "FILE", "Save a picture of the window to FILE, then close it."},
        {{"screenshot-after"},
         "SECONDS",
         "Seconds after start-up to take the screenshot (default 20)."},
    };
    spec.exitCodes = {
        {0, "the window was closed"},
        {129, "ended by SIGHUP (the terminal it was started from closed)"},
        {130, "ended by Ctrl-C (SIGINT) in the terminal it was started from"},
        {131, "ended by SIGQUIT"},
        {143, "ended by SIGTERM (kill, logout, shutdown)"},
    };
    spec.notes = {
        "A signal closes the window as a close without questions does: a running test is "
        "switched off (\"LOAD OFF\") and its data log closed, and it can be resumed at the "
        "next start.",
    };
    return spec;
}

WindowCommandLine WindowCommandLine::Parse(const QStringList& arguments, const QString& version) {
    WindowCommandLine line;
    CommandLine parser(Spec(), version);
    // A mistyped delay would take the picture at once, or never and leave a
    // demo script waiting for the window to close.
    if (parser.Parse(arguments) == CommandLine::Outcome::Run) {
        parser.ReadNumber(QStringLiteral("screenshot-after"), 0, true, kLongestScreenshotWait,
                          &line.screenshotSeconds);
    }
    line.outcome = parser.Result();
    line.exitCode = parser.ExitCode();
    line.home = parser.Value(QStringLiteral("home"));
    line.sim = parser.IsSet(QStringLiteral("sim"));
    line.start = parser.IsSet(QStringLiteral("start"));
    line.logPath = parser.Value(QStringLiteral("log"));
    line.screenshotPath = parser.Value(QStringLiteral("screenshot"));
    return line;
}
