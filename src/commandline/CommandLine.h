#pragma once

#include <QCommandLineParser>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One option of a program: its names ("home", or {"h", "help"}), the name of
// its value ("" for a switch), and the line that --help shows for it.
struct OptionSpec {
    QStringList names;
    QString valueName;
    QString help;
    // A value that may follow "=" only: "--sim" alone, or "--sim=4001".
    bool valueOptional = false;
};

struct ExitCodeSpec {
    int code;
    QString meaning;
};

// What a program tells about its command line: the one table per program that
// parsing, --help and the manual page are made from.
struct ProgramSpec {
    QString name;  // "zld-run"
    QString summary;
    QList<OptionSpec> options;
    QList<ExitCodeSpec> exitCodes;
    QStringList notes;  // closing paragraphs of --help
};

// Parses a program's arguments against its ProgramSpec and answers --help and
// --version itself. Mistakes are reported on stderr as "<program>: <what>"
// with exit code 64, the usage code of the sysexits convention.
class CommandLine {
  public:
    static constexpr int kUsageError = 64;

    enum class Outcome {
        Run,       // understood: the program goes on
        Answered,  // --help or --version was printed: exit 0
        Refused,   // a usage error was printed: exit kUsageError
    };

    // `version` is what --version shows after the program's name.
    CommandLine(ProgramSpec spec, QString version);

    // Reads `arguments` (the program's path first).
    Outcome Parse(const QStringList& arguments);
    // The outcome of Parse, Refused after a later Refuse(), and its exit code.
    Outcome Result() const { return m_outcome; }
    int ExitCode() const;

    bool IsSet(const QString& name) const;
    QString Value(const QString& name) const;

    // Reads an option's value as a whole number from `minimum` to `maximum`;
    // leaves `target` alone when the option is absent. A bad value is
    // refused as Refuse() does, and false returned.
    bool ReadWholeNumber(const QString& name, int minimum, int maximum, int* target);
    // Reads a finite number from `minimum` (excluded unless `minimumAllowed`)
    // to `maximum`.
    bool ReadNumber(const QString& name, double minimum, bool minimumAllowed, double maximum,
                    double* target);
    // Reports a usage error found after parsing; returns kUsageError.
    int Refuse(const QString& message);

    QString HelpText() const;
    QString VersionText() const;

  private:
    QStringList TakeOptionalValues(const QStringList& arguments);

    ProgramSpec m_spec;
    QString m_version;
    QCommandLineParser m_parser;
    QHash<QString, QString> m_optionalValues;
    Outcome m_outcome = Outcome::Run;
};

// The arguments of main() as Qt reads them, the program's path first.
QStringList ProgramArguments(int argc, char** argv);

// --help and --version need no display: a window program answers them before
// it opens the window system.
bool AsksForHelpOrVersion(const QStringList& arguments);
