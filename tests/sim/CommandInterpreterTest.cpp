#include <gtest/gtest.h>

#include "CommandInterpreter.h"
#include "Commands.h"

namespace {
QStringList Fields(const std::optional<QByteArray>& reply) {
    EXPECT_TRUE(reply.has_value());
    EXPECT_TRUE(reply.value_or("").endsWith('\n'));
    return QString::fromLatin1(reply.value_or("").trimmed()).split(QLatin1Char(','));
}

double Field(const QStringList& fields, int index) {
    return fields.value(index).toDouble();
}

// Sends `lines` at time `now` and expects every one to be understood.
void Send(CommandInterpreter& load, const QStringList& lines, double now = 0.0) {
    for (const QString& line : lines) {
        EXPECT_TRUE(load.Execute(line, now).understood) << line.toStdString();
    }
}
}  // namespace

TEST(CommandInterpreterTest, KeepsSetValuesPerModeAndLevel) {
    CommandInterpreter load(SimOptions{});
    Send(load, {"CV:B 0",   "CV:A 0",   "CR:A 12500", "CR:B 12500",  "CP:B 0",        "CP:A 0",
                "CC:B 0",   "CC:A 0",   "LIN:B 0",    "LIN:A 0",     "CC AUTO",       "LDON 0.8",
                "CC:A 2.5", "CC:B 0.5", "LIN:A 7",    "CCP:HIGH 20", "PERD:HIGH 100", "PERD:LOW 50",
                "COUNT 5",  "FREQ 60",  "CF 1.4",     "PF 1",        "REMOTE",        "MODE CR"});
    const LoadSettings& s = load.Settings();
    EXPECT_EQ(s.mode, RegulationMode::kCr);
    EXPECT_EQ(s.LevelA(RegulationMode::kCc), 2.5);
    EXPECT_EQ(s.LevelB(RegulationMode::kCc), 0.5);
    EXPECT_EQ(s.LevelA(RegulationMode::kCr), 12500);
    EXPECT_EQ(s.LevelB(RegulationMode::kCr), 12500);
    EXPECT_EQ(s.LevelA(RegulationMode::kLin), 7);
    EXPECT_EQ(s.pulseHighCurrent, 20);
    EXPECT_EQ(s.pulseHighMs, 100);
    EXPECT_EQ(s.pulseLowMs, 50);
    EXPECT_EQ(s.pulseCount, 5);
    EXPECT_EQ(s.frequency, 60);
    EXPECT_EQ(s.crestFactor, 1.4);
    EXPECT_EQ(s.powerFactor, 1);
    EXPECT_EQ(s.loadOnVoltage, 0.8);
    EXPECT_TRUE(s.autoRange);
    EXPECT_TRUE(s.remote);
    EXPECT_FALSE(s.inputOn);
}

TEST(CommandInterpreterTest, IgnoresWhatItDoesNotKnow) {
    CommandInterpreter load(SimOptions{});
    Send(load, {"CC:A 3"});
    // A bare number, wrong case, a missing or broken argument, an unknown query.
    for (const char* line : {"0", "42.5", "cc:a 4", "CC:A", "CC:A abc", "CC:A 4x", "CC:A inf",
                             "LOAD", "MEAS:CURR?", ""}) {
        const CommandOutcome outcome = load.Execute(QString::fromLatin1(line), 0.0);
        EXPECT_FALSE(outcome.understood) << line;
        EXPECT_FALSE(outcome.reply.has_value()) << line;
    }
    EXPECT_EQ(load.Settings().LevelA(RegulationMode::kCc), 3.0);
}

TEST(CommandInterpreterTest, PhaseRepliesCarryThreePhasesAndATotal) {
    CommandInterpreter load(SimOptions{});
    const QStringList idle = Fields(load.Execute(Cmd::kPhaseVoltages, 0.0).reply);
    ASSERT_EQ(idle.size(), 4);
    EXPECT_EQ(idle[0], "54");  // input off: the open-circuit voltage
    EXPECT_NE(idle[1], idle[0]);
    EXPECT_NE(idle[2], idle[1]);

    Send(load, {"CC:A 30", "MODE CC", "LOAD ON"});
    const QStringList volts = Fields(load.Execute(Cmd::kPhaseVoltages, 0.0).reply);
    const QStringList amps = Fields(load.Execute(Cmd::kPhaseCurrents, 0.0).reply);
    const QStringList watts = Fields(load.Execute(Cmd::kPhasePowers, 0.0).reply);
    ASSERT_EQ(volts.size(), 4);
    ASSERT_EQ(amps.size(), 4);
    ASSERT_EQ(watts.size(), 4);
    EXPECT_EQ(volts[0], "52.5");  // 54 V - 30 A x 0.05 ohm
    EXPECT_EQ(amps[0], "10");
    EXPECT_EQ(amps[3], "30");
    EXPECT_NEAR(Field(volts, 3), (Field(volts, 0) + Field(volts, 1) + Field(volts, 2)) / 3, 1e-4);
    EXPECT_NEAR(Field(watts, 0), Field(volts, 0) * Field(amps, 0), 1e-3);
    EXPECT_NEAR(Field(watts, 3), Field(watts, 0) + Field(watts, 1) + Field(watts, 2), 1e-3);
    for (const QString& field : volts + amps + watts) {
        EXPECT_LE(field.section(QLatin1Char('.'), 1).size(), 4) << field.toStdString();
    }
    EXPECT_EQ(load.Execute(Cmd::kProbeVoltage, 0.0).reply, QByteArray("52.5\n"));
}

TEST(CommandInterpreterTest, DischargeDrawsChargeOverTimeAndLowersTheVoltage) {
    SimOptions options;
    options.timeScale = 60.0;  // one second is a minute
    CommandInterpreter load(options);
    Send(load, {"CC:A 10", "MODE CC", "LOAD ON"}, 0.0);
    const double before = Field(Fields(load.Execute(Cmd::kPhaseVoltages, 0.0).reply), 0);
    // 30 s x 60 = half an hour at 10 A.
    EXPECT_NEAR(load.ChargeDrawnAh(30.0), 5.0, 1e-6);
    const double after = Field(Fields(load.Execute(Cmd::kPhaseVoltages, 30.0).reply), 0);
    EXPECT_LT(after, before - 1.0);

    Send(load, {"LOAD OFF"}, 30.0);
    EXPECT_NEAR(load.ChargeDrawnAh(60.0), 5.0, 1e-6);
    EXPECT_FALSE(load.InputOn(60.0));
}

TEST(CommandInterpreterTest, ConstantVoltageDischargeStopsAtTheSetVoltage) {
    SimOptions options;
    options.timeScale = 3600.0;
    CommandInterpreter load(options);
    // CV at 50 V draws less and less as the battery nears 50 V. A hundred
    // hours in one step at the first current would empty it many times over.
    Send(load, {"CV:A 50", "MODE CV", "LOAD ON"}, 0.0);
    const double toFiftyVolts = 4.0 / 10.5 * 9.0;  // on the 54 V to 43.5 V stretch
    EXPECT_NEAR(load.ChargeDrawnAh(100.0), toFiftyVolts, 0.02);
    Send(load, {"LOAD OFF"}, 100.0);
    EXPECT_NEAR(Field(Fields(load.Execute(Cmd::kPhaseVoltages, 100.0).reply), 0), 50.0, 0.02);
}

TEST(CommandInterpreterTest, PulseTrainEndsWithOneResultLineAndTheInputOff) {
    CommandInterpreter load(SimOptions{});
    Send(load, {"CCP:HIGH 20", "CC:B 2", "PERD:HIGH 100", "PERD:LOW 100", "COUNT 5"});
    const CommandOutcome start = load.Execute(Cmd::kDynamicOn, 10.0);
    EXPECT_TRUE(start.pulseStarted);
    ASSERT_TRUE(load.PulseEndsAt().has_value());
    EXPECT_DOUBLE_EQ(*load.PulseEndsAt(), 11.0);
    EXPECT_TRUE(load.InputOn(10.5));
    EXPECT_FALSE(load.TakePulseResult(10.9).has_value());

    const QStringList result = Fields(load.TakePulseResult(11.0));
    ASSERT_EQ(result.size(), 3);
    EXPECT_EQ(result[0], "OK");
    EXPECT_NEAR(Field(result, 1), 53.0, 0.01);  // 54 V - 20 A x 0.05 ohm
    EXPECT_EQ(result[2], "20");
    EXPECT_FALSE(load.TakePulseResult(12.0).has_value());
    EXPECT_FALSE(load.InputOn(12.0));
    EXPECT_FALSE(load.PulseEndsAt().has_value());
    // 0.5 s at 20 A and 0.5 s at 2 A, nothing after.
    EXPECT_NEAR(load.ChargeDrawnAh(100.0), 11.0 / 3600.0, 1e-9);
}

TEST(CommandInterpreterTest, PulseVerdictFailsOnCountOrLowVoltage) {
    SimOptions options;
    options.pulseNgCount = 1;
    options.pulseFailVoltage = 52.0;
    CommandInterpreter load(options);
    Send(load, {"CCP:HIGH 20", "PERD:HIGH 1", "PERD:LOW 1", "COUNT 1"});
    load.Execute(Cmd::kDynamicOn, 0.0);
    EXPECT_TRUE(load.TakePulseResult(1.0).value_or("").startsWith("NG,"));  // counted
    load.Execute(Cmd::kDynamicOn, 1.0);
    EXPECT_TRUE(load.TakePulseResult(2.0).value_or("").startsWith("OK,"));  // 53 V

    Send(load, {"CCP:HIGH 50"}, 2.0);  // 51.5 V under the high current
    load.Execute(Cmd::kDynamicOn, 2.0);
    EXPECT_TRUE(load.TakePulseResult(3.0).value_or("").startsWith("NG,51."));

    // Switching off ends the train without a result.
    load.Execute(Cmd::kDynamicOn, 3.0);
    Send(load, {"LOAD OFF"}, 3.001);
    EXPECT_FALSE(load.TakePulseResult(4.0).has_value());
}
