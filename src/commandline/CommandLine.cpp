#include "CommandLine.h"

#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int kHelpColumn = 26;
constexpr int kLineWidth = 79;

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

// "-h, --help" or "    --home DIR" or "    --sim[=PORT]".
QString OptionColumn(const OptionSpec& option) {
    QStringList names;
    for (const QString& name : option.names) {
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    }
    QString text = names.join(QStringLiteral(", "));
    if (option.names.constFirst().size() > 1) {
        text.prepend(QStringLiteral("    "));
    }
    if (option.valueOptional) {
        text += QStringLiteral("[=%1]").arg(option.valueName);
    } else if (!option.valueName.isEmpty()) {
        text += QLatin1Char(' ') + option.valueName;
    }
    return text;
}

// Wraps `text` at word boundaries to lines of at most `width` characters.
QStringList Wrap(const QString& text, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty() || lines.isEmpty()) {
        lines << line;
    }
    return lines;
}

// "  <label>  <text>", the text wrapped in its own column.
QString TwoColumns(const QString& label, const QString& text, int column) {
    const QString indent(column, QLatin1Char(' '));
    const QStringList lines = Wrap(text, kLineWidth - column);
    QString out = QStringLiteral("  ") + label;
    if (out.size() + 1 >= column) {
        out += QLatin1Char('\n') + indent;
    } else {
        out = out.leftJustified(column);
    }
    out += lines.join(QLatin1Char('\n') + indent) + QLatin1Char('\n');
    return out;
}

QString NumberText(double value) {
    return QString::number(value, 'g', 15);
}
}  // namespace

CommandLine::CommandLine(ProgramSpec spec, QString version)
    : m_spec(std::move(spec)), m_version(std::move(version)) {
    m_spec.options.prepend({{kVersion}, QString(), QStringLiteral("Show the version and exit.")});
    m_spec.options.prepend(
        {{QStringLiteral("h"), kHelp}, QString(), QStringLiteral("Show this help and exit.")});
    m_spec.exitCodes.append(
        {kUsageError, QStringLiteral("the command line was wrong (the message says how)")});
    std::stable_sort(m_spec.exitCodes.begin(), m_spec.exitCodes.end(),
                     [](const ExitCodeSpec& a, const ExitCodeSpec& b) { return a.code < b.code; });
    for (const OptionSpec& option : m_spec.options) {
        m_parser.addOption(QCommandLineOption(option.names, option.help,
                                              option.valueOptional ? QString() : option.valueName));
    }
}

QStringList CommandLine::TakeOptionalValues(const QStringList& arguments) {
    QStringList taken = arguments;
    for (QString& argument : taken) {
        if (argument == QLatin1String("--")) {
            break;
        }
        for (const OptionSpec& option : m_spec.options) {
            const QString prefix = QStringLiteral("--%1=").arg(option.names.constLast());
            if (option.valueOptional && argument.startsWith(prefix)) {
                m_optionalValues.insert(option.names.constLast(), argument.mid(prefix.size()));
                argument = argument.left(prefix.size() - 1);
            }
        }
    }
    return taken;
}

CommandLine::Outcome CommandLine::Parse(const QStringList& arguments) {
    if (!m_parser.parse(TakeOptionalValues(arguments))) {
        Refuse(m_parser.errorText());
        return m_outcome;
    }
    if (m_parser.isSet(kHelp)) {
        QTextStream(stdout) << HelpText();
        return m_outcome = Outcome::Answered;
    }
    if (m_parser.isSet(kVersion)) {
        QTextStream(stdout) << VersionText() << Qt::endl;
        return m_outcome = Outcome::Answered;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        Refuse(QStringLiteral("Unexpected argument \"%1\".")
                   .arg(m_parser.positionalArguments().constFirst()));
        return m_outcome;
    }
    return m_outcome = Outcome::Run;
}

int CommandLine::ExitCode() const {
    return m_outcome == Outcome::Refused ? kUsageError : 0;
}

bool CommandLine::IsSet(const QString& name) const {
    return m_parser.isSet(name);
}

QString CommandLine::Value(const QString& name) const {
    const auto optional = m_optionalValues.constFind(name);
    return optional != m_optionalValues.cend() ? *optional : m_parser.value(name);
}

bool CommandLine::ReadWholeNumber(const QString& name, int minimum, int maximum, int* target) {
    if (!IsSet(name)) {
        return true;
    }
    bool ok = false;
    const int value = Value(name).toInt(&ok);
    if (!ok || value < minimum || value > maximum) {
        Refuse(QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\".")
                   .arg(name)
                   .arg(minimum)
                   .arg(maximum)
                   .arg(Value(name)));
        return false;
    }
    *target = value;
    return true;
}

bool CommandLine::ReadNumber(const QString& name, double minimum, bool minimumAllowed,
                             double maximum, double* target) {
    if (!IsSet(name)) {
        return true;
    }
    bool ok = false;
    const double value = Value(name).toDouble(&ok);
    const bool aboveMinimum = minimumAllowed ? value >= minimum : value > minimum;
    if (ok && std::isfinite(value) && aboveMinimum && value <= maximum) {
        *target = value;
        return true;
    }
    QString range = minimumAllowed ? QStringLiteral("of at least %1").arg(NumberText(minimum))
                                   : QStringLiteral("above %1").arg(NumberText(minimum));
    if (maximum < std::numeric_limits<double>::max()) {
        range = minimumAllowed
                    ? QStringLiteral("from %1 to %2").arg(NumberText(minimum), NumberText(maximum))
                    : range + QStringLiteral(" and at most %1").arg(NumberText(maximum));
    }
    Refuse(QStringLiteral("--%1 needs a number %2, not \"%3\".").arg(name, range, Value(name)));
    return false;
}

int CommandLine::Refuse(const QString& message) {
    m_outcome = Outcome::Refused;
    QTextStream(stderr) << m_spec.name << ": " << message << "\n"
                        << "Try '" << m_spec.name << " --help' for more information." << Qt::endl;
    return kUsageError;
}

QString CommandLine::HelpText() const {
    QString text = QStringLiteral("Usage: %1 [OPTION]...\n").arg(m_spec.name);
    text += Wrap(m_spec.summary, kLineWidth).join(QLatin1Char('\n')) + QStringLiteral("\n\n");
    text += QStringLiteral("Options:\n");
    for (const OptionSpec& option : m_spec.options) {
        text += TwoColumns(OptionColumn(option), option.help, kHelpColumn);
    }
    text += QStringLiteral("\nExit codes:\n");
    for (const ExitCodeSpec& exit : m_spec.exitCodes) {
        text += TwoColumns(QString::number(exit.code), exit.meaning, 8);
    }
    for (const QString& paragraph : m_spec.notes) {
        text += QLatin1Char('\n') + Wrap(paragraph, kLineWidth).join(QLatin1Char('\n')) +
                QLatin1Char('\n');
    }
    return text;
}

QString CommandLine::VersionText() const {
    return m_spec.name + QLatin1Char(' ') + m_version;
}

QStringList ProgramArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

bool AsksForHelpOrVersion(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--")) {
            return false;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
            argument == QLatin1String("--version")) {
            return true;
        }
    }
    return false;
}
