#include "RunnerCommandLine.h"

#include "SharedOptions.h"
#include "TelemetrySettings.h"

ProgramSpec RunnerCommandLine::Spec() {
    ProgramSpec spec;
    spec.name = QStringLiteral("zld-run");
    spec.summary = QStringLiteral(
        "Runs a battery test on the ZLD-3300 TRIO 3-phase electronic load without a window: "
        "the same engine as the zld3300 window, with progress on standard output and messages "
        "on standard error.");
    spec.options = {
        HomeOption(),
        {{"test"}, "FILE", "Test file to run (default: the last one the program folder used)."},
        {{"sn"}, "SERIAL", "Serial number of the item under test; it names the data log."},
        {{"check"},
         "",
         "Check the test without running it: print every error and warning the check finds, "
         "then the estimated duration. Contacts no load; with --test and without --home no "
         "program folder is needed. Without --check the same check runs before every run."},
        {{"resume"},
         "",
         "Go on with the test that was interrupted (a crash, a power cut) in the program "
         "folder: its test file, serial number and data log, from the step it was in. With "
         "--sn, the interrupted test of that serial number."},
        {{"discard"},
         "",
         "Drop the interrupted tests of the program folder (each run journal is kept as "
         "TestLog/<serial>.run.discarded, the results say \"interrupted\"), then run as "
         "usual."},
        {{"sim"},
         "PORT",
         "Run against a simulated load started in this process on 127.0.0.1 (on PORT when "
         "given, e.g. --sim=4001) instead of the load the test file names.",
         true},
        {{"sim-port"}, "PORT", "Port of the simulated load (0, the default, picks a free one)."},
        {{"sim-journal"}, "FILE", "Write every command the simulated load receives to FILE."},
        {{"publish"},
         "URL",
         "Publish this run to the lab's MQTT broker at URL (mqtt://host:port/prefix, or "
         "mqtts:// for TLS) instead of the broker and topic of TRIO.INI [Telemetry]."},
    };
    spec.exitCodes = {
        {kFinished, "the test ran to its end (with --check: the check found no error)"},
        {kNotStarted,
         "the test did not start (no test file, no steps, a log that cannot be "
         "written, the simulated load could not start, an interrupted test waits for "
         "--resume or --discard, or it cannot be resumed; with --check: the test file is "
         "missing or cannot be read)"},
        {kNoLoad, "no load answered"},
        {kRunError, "the run was stopped by an error or a safety limit"},
        {kCheckFailed,
         "the check before the run found an error, and nothing was sent to the load (with "
         "--check: the check found an error)"},
        {kHungUp,
         "ended by SIGHUP: the terminal closed or the SSH session dropped (the load is "
         "switched off first)"},
        {kInterrupted,
         "interrupted by Ctrl-C (SIGINT) or a stop from the lab's broker (the load is switched "
         "off first)"},
        {kQuit, "ended by SIGQUIT (Ctrl-\\; the load is switched off first)"},
        {kTerminated,
         "ended by SIGTERM: kill, logout or shutdown (the load is switched off first)"},
    };
    spec.notes = {
        "Every message the program would show in a box is printed on standard error as a line "
        "\"message: <text>\". Progress lines (\"step ...\", \"point ...\", \"data log <path>\") "
        "go to standard output.",
        "With a broker (TRIO.INI [Telemetry] or --publish) the run is published as it goes; "
        "messages that never reached the broker are counted on standard error at the end.",
    };
    return spec;
}

RunnerCommandLine RunnerCommandLine::Parse(const QStringList& arguments, const QString& version) {
    RunnerCommandLine line;
    CommandLine parser(Spec(), version);
    int port = 0;
    if (parser.Parse(arguments) == CommandLine::Outcome::Run) {
        const QString portOption = parser.Value("sim").isEmpty() ? "sim-port" : "sim";
        if (parser.ReadWholeNumber(portOption, 0, 65535, &port) && parser.IsSet("sim-port") &&
            !parser.Value("sim").isEmpty()) {
            parser.Refuse("--sim=PORT and --sim-port name the port twice; give one.");
        }
        TelemetrySettings probe;
        QString error;
        if (parser.IsSet("publish") && !ApplyPublishUrl(parser.Value("publish"), &probe, &error)) {
            parser.Refuse(error);
        }
    }
    line.outcome = parser.Result();
    line.exitCode = parser.ExitCode();
    line.home = parser.Value("home");
    line.testFile = parser.Value("test");
    if (parser.IsSet("sn")) {
        line.serialNumber = parser.Value("sn");
    }
    line.sim = parser.IsSet("sim") || parser.IsSet("sim-port");
    line.simPort = static_cast<quint16>(port);
    line.simJournal = parser.Value("sim-journal");
    line.check = parser.IsSet("check");
    if (parser.IsSet("publish")) {
        line.publishUrl = parser.Value("publish");
    }
    line.resume = parser.IsSet("resume");
    line.discard = parser.IsSet("discard");
    if (line.outcome == CommandLine::Outcome::Run) {
        if (line.resume && line.discard) {
            parser.Refuse("--resume and --discard contradict each other; give one.");
        } else if (line.resume && (line.check || !line.testFile.isEmpty())) {
            parser.Refuse(
                "--resume goes on with the interrupted test's own file; give no "
                "--test or --check.");
        }
        line.outcome = parser.Result();
        line.exitCode = parser.ExitCode();
    }
    return line;
}
