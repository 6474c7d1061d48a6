#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
struct Program {
    QString name;
    QString path;
};

QList<Program> Programs() {
    QList<Program> programs{{"zld-run", ZLD_RUN_PATH}, {"zld-sim", ZLD_SIM_PATH}};
#ifdef ZLD_WINDOW_PATH
    programs << Program{"zld3300", ZLD_WINDOW_PATH};
#endif
#ifdef ZLD_FLEET_PATH
    programs << Program{"zld-fleet", ZLD_FLEET_PATH};
#endif
    return programs;
}

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

enum class Screen { None, Offscreen };

// Runs a program to its end. Without a screen the window system cannot open:
// --help and --version must not need it.
Result RunProgram(const QString& path, const QStringList& arguments,
                  Screen screen = Screen::Offscreen) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", screen == Screen::None ? "xcb" : "offscreen");
    process.setProcessEnvironment(env);
    process.start(path, arguments);
    Result result;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}
}  // namespace

TEST(ProgramConventions, HelpAndVersionAnswerOnStandardOutput) {
    const QRegularExpression version(
        QStringLiteral("^%1 (\\(commit [0-9a-f]{7,40}(, modified)?\\))?\n$")
            .arg(QRegularExpression::escape(ZLD_VERSION)));
    for (const Program& program : Programs()) {
        SCOPED_TRACE(program.name.toStdString());
        const Result help = RunProgram(program.path, {"--help"}, Screen::None);
        EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: " + program.name + " ")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("\n      --version ")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QRegularExpression("\nExit codes:\n(.*\n)*  64 ")));
        EXPECT_EQ(help.err, QString());
        EXPECT_EQ(RunProgram(program.path, {"-h"}, Screen::None).out, help.out);

        const Result shown = RunProgram(program.path, {"--version"}, Screen::None);
        EXPECT_EQ(shown.exitCode, 0);
        EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(program.name) + " " +
                                       version.pattern().mid(1))
                        .match(shown.out)
                        .hasMatch())
            << shown.out.toStdString();
    }
}

TEST(ProgramConventions, OptionMistakesGoToStandardErrorWithExit64) {
    QTemporaryDir home;
    for (const Program& program : Programs()) {
        for (const QStringList& arguments :
             {QStringList{"--no-such-option"}, QStringList{"--home"}, QStringList{"stray"}}) {
            SCOPED_TRACE((program.name + " " + arguments.join(' ')).toStdString());
            const Result result = RunProgram(program.path, arguments);
            EXPECT_EQ(result.exitCode, 64);
            // The window system may warn first about the session it finds.
            EXPECT_TRUE(result.err.contains(
                QRegularExpression("(^|\n)" + QRegularExpression::escape(program.name) + ": ")))
                << result.err.toStdString();
            EXPECT_TRUE(result.err.contains("--help"));
            EXPECT_EQ(result.out, QString());
        }
    }
    // Values are checked before anything runs: nothing is written to the folder.
    for (const QStringList& arguments :
         {QStringList{"--home", home.path(), "--sim=port"},
          QStringList{"--home", home.path(), "--sim-port", "65536"},
          QStringList{"--home", home.path(), "--sim=4001", "--sim-port", "4002"},
          QStringList{"--home", home.path(), "--publish", "127.0.0.1:1883"},
          QStringList{"--home", home.path(), "--publish", "mqtt://127.0.0.1:1883/lab/#"},
          QStringList{"--home", home.path(), "--resume", "--discard"},
          QStringList{"--home", home.path(), "--resume", "--test", "Other.INI"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = RunProgram(ZLD_RUN_PATH, arguments);
        EXPECT_EQ(result.exitCode, 64);
        EXPECT_TRUE(result.err.startsWith("zld-run: ")) << result.err.toStdString();
    }
    EXPECT_TRUE(QDir(home.path()).isEmpty());
#ifdef ZLD_WINDOW_PATH
    // A delay that is no number would take the picture at once.
    const Result delay = RunProgram(
        ZLD_WINDOW_PATH, {"--screenshot", home.filePath("x.png"), "--screenshot-after", "soon"});
    EXPECT_EQ(delay.exitCode, 64);
    EXPECT_TRUE(delay.err.contains("zld3300: --screenshot-after")) << delay.err.toStdString();
#endif
#ifdef ZLD_FLEET_PATH
    // The fleet view refuses a broker it could never reach before it opens.
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"--broker", "lab broker"},
          QStringList{"--broker", "127.0.0.1:1883", "--password-file", home.filePath("none")}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Result result = RunProgram(ZLD_FLEET_PATH, arguments);
        EXPECT_EQ(result.exitCode, 64);
        EXPECT_TRUE(result.err.contains("zld-fleet: ")) << result.err.toStdString();
    }
#endif
}
