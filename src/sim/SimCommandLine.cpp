#include "SimCommandLine.h"

#include <limits>

namespace {
constexpr double kNoMaximum = std::numeric_limits<double>::max();

struct NumberOption {
    QString name;
    double minimum;
    bool minimumAllowed;
    double* target;
};

struct CountOption {
    QString name;
    int maximum;
    int* target;
};
}  // namespace

ProgramSpec SimCommandLine::Spec() {
    ProgramSpec spec;
    spec.name = QStringLiteral("zld-sim");
    spec.summary = QStringLiteral(
        "Simulated ZLD-3300 TRIO 3-phase electronic load with a battery behind it, on "
        "127.0.0.1 only. It speaks the load's command protocol over TCP, one command per "
        "line ending in LF, and answers queries with one line ending in LF; it runs until "
        "SIGINT or SIGTERM.");
    spec.options = {
        {{"port"}, "N", "TCP port on 127.0.0.1 (default 4001; 0 picks a free one)."},
        {{"pty"}, "", "Also serve a pseudo-terminal as a serial port."},
        {{"journal"}, "FILE", "Write every received command to FILE, with the time."},
        {{"capacity"}, "AH", "Battery capacity in Ah (default 10)."},
        {{"full-voltage"}, "V", "Open-circuit voltage when full (default 54)."},
        {{"empty-voltage"}, "V", "Open-circuit voltage when empty (default 40)."},
        {{"resistance"}, "OHM", "Internal resistance in ohm (default 0.05)."},
        {{"time-scale"}, "X", "Simulated seconds of discharge per second (default 1)."},
        {{"pulse-fail-voltage"}, "V", "Pulse tests below this voltage answer NG (default 0)."},
        {{"pulse-ng-count"}, "N", "The first N pulse tests answer NG."},
        {{"silent"}, "", "Fault: answer nothing."},
        {{"garbage"}, "", "Fault: answer with noise."},
        {{"split"}, "", "Fault: send every reply in two pieces."},
        {{"reply-delay"}, "MS", "Fault: answer MS milliseconds late."},
        {{"drop-after"}, "N", "Fault: close the link after N commands."},
        {{"silent-after"}, "N", "Fault: answer nothing after N commands."},
    };
    spec.exitCodes = {
        {0, "stopped by SIGINT or SIGTERM"},
        {kCannotServe, "the port is taken, or the journal or pseudo-terminal cannot be opened"},
    };
    spec.notes = {
        "On start it prints \"zld-sim listening on 127.0.0.1:<port>\" and, with --pty, "
        "\"zld-sim serial on <device>\". From Python with PyVISA: "
        "TCPIP0::127.0.0.1::<port>::SOCKET with read and write termination \"\\n\".",
    };
    return spec;
}

SimCommandLine SimCommandLine::Parse(const QStringList& arguments, const QString& version) {
    SimCommandLine line;
    CommandLine parser(Spec(), version);
    line.outcome = parser.Parse(arguments);
    line.exitCode = parser.ExitCode();
    if (line.outcome != CommandLine::Outcome::Run) {
        return line;
    }

    SimOptions& o = line.options;
    SimFaults& f = line.faults;
    int port = line.port;
    const NumberOption numbers[] = {
        {QStringLiteral("capacity"), 0.0, false, &o.capacityAh},
        {QStringLiteral("full-voltage"), 0.0, false, &o.fullVoltage},
        {QStringLiteral("empty-voltage"), 0.0, true, &o.emptyVoltage},
        {QStringLiteral("resistance"), 0.0, true, &o.internalResistance},
        {QStringLiteral("time-scale"), 0.0, false, &o.timeScale},
        {QStringLiteral("pulse-fail-voltage"), 0.0, true, &o.pulseFailVoltage},
    };
    const CountOption counts[] = {
        {QStringLiteral("port"), 65535, &port},
        {QStringLiteral("pulse-ng-count"), 1000000, &o.pulseNgCount},
        {QStringLiteral("reply-delay"), 600000, &f.replyDelayMs},
        {QStringLiteral("drop-after"), 1000000, &f.dropAfterCommands},
        {QStringLiteral("silent-after"), 1000000, &f.silentAfterCommands},
    };
    bool valid = true;
    for (const NumberOption& option : numbers) {
        valid = valid && parser.ReadNumber(option.name, option.minimum, option.minimumAllowed,
                                           kNoMaximum, option.target);
    }
    for (const CountOption& option : counts) {
        valid = valid && parser.ReadWholeNumber(option.name, 0, option.maximum, option.target);
    }
    if (valid && o.emptyVoltage >= o.fullVoltage) {
        parser.Refuse(QStringLiteral("--empty-voltage must be below --full-voltage."));
    }
    line.outcome = parser.Result();
    line.exitCode = parser.ExitCode();
    line.port = static_cast<quint16>(port);
    line.pty = parser.IsSet(QStringLiteral("pty"));
    o.journalPath = parser.Value(QStringLiteral("journal"));
    f.silent = parser.IsSet(QStringLiteral("silent"));
    f.garbage = parser.IsSet(QStringLiteral("garbage"));
    f.splitReplies = parser.IsSet(QStringLiteral("split"));
    return line;
}
