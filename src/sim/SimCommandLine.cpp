#include "SimCommandLine.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <cmath>

namespace {
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

bool ReadNumber(const QCommandLineParser& parser, const NumberOption& option, QString* error) {
    if (!parser.isSet(option.name)) {
        return true;
    }
    bool ok = false;
    const double value = parser.value(option.name).toDouble(&ok);
    const bool inRange = option.minimumAllowed ? value >= option.minimum : value > option.minimum;
    if (!ok || !std::isfinite(value) || !inRange) {
        *error = QStringLiteral("--%1 needs a number %2 %3, not \"%4\".")
                     .arg(option.name, option.minimumAllowed ? QStringLiteral("of at least")
                                                             : QStringLiteral("above"))
                     .arg(option.minimum)
                     .arg(parser.value(option.name));
        return false;
    }
    *option.target = value;
    return true;
}

bool ReadCount(const QCommandLineParser& parser, const CountOption& option, QString* error) {
    if (!parser.isSet(option.name)) {
        return true;
    }
    bool ok = false;
    const int value = parser.value(option.name).toInt(&ok);
    if (!ok || value < 0 || value > option.maximum) {
        *error = QStringLiteral("--%1 needs a whole number from 0 to %2, not \"%3\".")
                     .arg(option.name)
                     .arg(option.maximum)
                     .arg(parser.value(option.name));
        return false;
    }
    *option.target = value;
    return true;
}
}  // namespace

SimCommandLine SimCommandLine::Parse(const QStringList& arguments) {
    SimCommandLine line;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated 3-phase electronic load with a battery, on 127.0.0.1."));
    const auto helpOption = parser.addHelpOption();
    auto valueOption = [&parser](const char* name, const char* text, const char* valueName) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(text),
                                            QString::fromLatin1(valueName)));
    };
    valueOption("port", "TCP port on 127.0.0.1 (default 4001; 0 picks a free one).", "N");
    parser.addOption(QCommandLineOption(
        QStringLiteral("pty"), QStringLiteral("Also serve a pseudo-terminal as serial port.")));
    valueOption("journal", "Write every received command to FILE.", "FILE");
    valueOption("capacity", "Battery capacity in Ah (default 10).", "AH");
    valueOption("full-voltage", "Open-circuit voltage when full (default 54).", "V");
    valueOption("empty-voltage", "Open-circuit voltage when empty (default 40).", "V");
    valueOption("resistance", "Internal resistance in ohm (default 0.05).", "OHM");
    valueOption("time-scale", "Simulated seconds of discharge per second (default 1).", "X");
    valueOption("pulse-fail-voltage", "Pulse tests below this voltage answer NG (default 0).", "V");
    valueOption("pulse-ng-count", "The first N pulse tests answer NG.", "N");
    parser.addOption(
        QCommandLineOption(QStringLiteral("silent"), QStringLiteral("Answer nothing.")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("garbage"), QStringLiteral("Answer with noise.")));
    parser.addOption(QCommandLineOption(QStringLiteral("split"),
                                        QStringLiteral("Send every reply in two pieces.")));
    valueOption("reply-delay", "Answer MS milliseconds late.", "MS");
    valueOption("drop-after", "Close the link after N commands.", "N");

    if (!parser.parse(arguments)) {
        line.error = parser.errorText();
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        line.error = QStringLiteral("Unexpected argument \"%1\".")
                         .arg(parser.positionalArguments().constFirst());
        return line;
    }
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        line.helpShown = true;
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
    };
    for (const NumberOption& option : numbers) {
        if (!ReadNumber(parser, option, &line.error)) {
            return line;
        }
    }
    for (const CountOption& option : counts) {
        if (!ReadCount(parser, option, &line.error)) {
            return line;
        }
    }
    if (o.emptyVoltage >= o.fullVoltage) {
        line.error = QStringLiteral("--empty-voltage must be below --full-voltage.");
        return line;
    }
    line.port = static_cast<quint16>(port);
    line.pty = parser.isSet(QStringLiteral("pty"));
    o.journalPath = parser.value(QStringLiteral("journal"));
    f.silent = parser.isSet(QStringLiteral("silent"));
    f.garbage = parser.isSet(QStringLiteral("garbage"));
    f.splitReplies = parser.isSet(QStringLiteral("split"));
    return line;
}
