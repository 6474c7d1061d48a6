#include <gtest/gtest.h>

#include <QRegularExpression>

#include "CommandLine.h"

namespace {
ProgramSpec Sample() {
    ProgramSpec spec;
    spec.name = "tool";
    spec.summary = "Does one thing.";
    spec.options = {
        {{"home"}, "DIR", "Folder."},
        {{"sim"}, "PORT", "Simulate, on PORT when given.", true},
        {{"delay"},
         "SECONDS",
         "A help text long enough that it has to be wrapped onto more than one line of the "
         "help, without any of its words getting lost or cut in two on the way."},
        {{"switch-with-a-very-long-name-indeed"}, "", "Short."},
    };
    spec.exitCodes = {{130, "interrupted"}, {0, "done"}, {2, "no load"}};
    return spec;
}

QStringList Line(const QStringList& options) {
    return QStringList{"/usr/bin/tool"} + options;
}
}  // namespace

TEST(CommandLine, OptionalValueOnlyFollowsAnEqualsSign) {
    CommandLine alone(Sample(), "1.0");
    ASSERT_EQ(alone.Parse(Line({"--sim", "--home", "/tmp/h"})), CommandLine::Outcome::Run);
    EXPECT_TRUE(alone.IsSet("sim"));
    EXPECT_EQ(alone.Value("sim"), "");
    EXPECT_EQ(alone.Value("home"), "/tmp/h");

    CommandLine given(Sample(), "1.0");
    ASSERT_EQ(given.Parse(Line({"--sim=4001", "--home=/x"})), CommandLine::Outcome::Run);
    EXPECT_TRUE(given.IsSet("sim"));
    EXPECT_EQ(given.Value("sim"), "4001");
    EXPECT_EQ(given.Value("home"), "/x");

    // A separate word is no value of an optional-value option: it is refused,
    // not silently run against a default.
    CommandLine separate(Sample(), "1.0");
    EXPECT_EQ(separate.Parse(Line({"--sim", "4001"})), CommandLine::Outcome::Refused);
    EXPECT_EQ(separate.ExitCode(), CommandLine::kUsageError);

    // After "--" nothing is an option any more.
    CommandLine ended(Sample(), "1.0");
    EXPECT_EQ(ended.Parse(Line({"--", "--sim=1"})), CommandLine::Outcome::Refused);
    EXPECT_FALSE(ended.IsSet("sim"));
}

TEST(CommandLine, NumbersAreCheckedAgainstTheirRange) {
    struct Case {
        QString value;
        bool accepted;
    };
    const Case cases[] = {{"0", true},        {"86400", true}, {"2.5", true},  {"-0.1", false},
                          {"86400.5", false}, {"nan", false},  {"inf", false}, {"", false},
                          {"3s", false},      {"1e3", true}};
    for (const Case& c : cases) {
        CommandLine line(Sample(), "1.0");
        ASSERT_EQ(line.Parse(Line({"--delay", c.value})), CommandLine::Outcome::Run);
        double seconds = -1;
        EXPECT_EQ(line.ReadNumber("delay", 0, true, 86400, &seconds), c.accepted)
            << c.value.toStdString();
        EXPECT_EQ(line.Result() == CommandLine::Outcome::Refused, !c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(seconds, -1) << "a refused value must not be taken";
        }
    }
    // The minimum itself is refused when it is excluded.
    CommandLine above(Sample(), "1.0");
    above.Parse(Line({"--delay", "0"}));
    double value = 7;
    EXPECT_FALSE(above.ReadNumber("delay", 0, false, 1e9, &value));
    EXPECT_EQ(value, 7);

    for (const QString port : {"65536", "-1", "4001.5", "0x10", "99999999999"}) {
        CommandLine line(Sample(), "1.0");
        line.Parse(Line({QStringLiteral("--sim=") + port}));
        int target = 9;
        EXPECT_FALSE(line.ReadWholeNumber("sim", 0, 65535, &target)) << port.toStdString();
        EXPECT_EQ(target, 9);
    }
    // An absent option leaves its default alone and is no error.
    CommandLine absent(Sample(), "1.0");
    absent.Parse(Line({}));
    int port = 4001;
    EXPECT_TRUE(absent.ReadWholeNumber("sim", 0, 65535, &port));
    EXPECT_EQ(port, 4001);
}

TEST(CommandLine, HelpListsEveryOptionAndExitCodeWithinTheLineWidth) {
    const ProgramSpec spec = Sample();
    const QString help = CommandLine(spec, "1.0").HelpText();
    const QStringList lines = help.split('\n');
    EXPECT_EQ(lines[0], "Usage: tool [OPTION]...");
    for (const QString& line : lines) {
        EXPECT_LE(line.size(), 79) << line.toStdString();
    }
    EXPECT_TRUE(help.contains(QRegularExpression("\n  -h, --help +Show this help")));
    EXPECT_TRUE(help.contains(QRegularExpression("\n      --version +Show the version")));
    EXPECT_TRUE(help.contains(QRegularExpression("\n      --home DIR +Folder\\.")));
    EXPECT_TRUE(help.contains(QRegularExpression("\n      --sim\\[=PORT\\] +Simulate")));
    // Wrapped text keeps every word, in order.
    const QString delay = spec.options[2].help;
    QString joined = help.mid(help.indexOf("A help text"));
    joined = joined.left(joined.indexOf("\n      --switch")).simplified();
    EXPECT_EQ(joined, delay);
    // A name too long for the column puts its text on the next line.
    EXPECT_TRUE(
        help.contains(QRegularExpression("--switch-with-a-very-long-name-indeed\n {26}Short\\.")));
    // Exit codes in ascending order, the usage code among them.
    const QRegularExpression codes("\n  (\\d+) +");
    QList<int> listed;
    for (auto it = codes.globalMatch(help.mid(help.indexOf("Exit codes:"))); it.hasNext();) {
        listed << it.next().captured(1).toInt();
    }
    EXPECT_EQ(listed, QList<int>({0, 2, 64, 130}));
}
