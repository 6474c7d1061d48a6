#include <gtest/gtest.h>

#include "BatteryModel.h"

namespace {
SimOptions Battery() {
    SimOptions options;  // 54 V full, 40 V empty, 10 Ah, 0.05 ohm
    return options;
}
}  // namespace

TEST(BatteryModelTest, OpenCircuitVoltageRunsFromFullToEmptyAndFallsFasterAtTheEnd) {
    BatteryModel battery(Battery());
    EXPECT_DOUBLE_EQ(battery.OpenCircuitVoltage(), 54.0);

    battery.Draw(10.0, 0.45);  // 4.5 Ah: halfway down the first stretch
    const double middle = battery.OpenCircuitVoltage();
    EXPECT_LT(middle, 54.0);
    EXPECT_GT(middle, 40.0);

    battery.Draw(10.0, 0.45);  // 9 Ah drawn: 10 % left
    const double knee = battery.OpenCircuitVoltage();
    const double slopeAbove = (middle - knee) / 4.5;
    battery.Draw(10.0, 0.1);  // empty
    EXPECT_NEAR(battery.OpenCircuitVoltage(), 40.0, 1e-9);
    const double slopeBelow = (knee - 40.0) / 1.0;
    EXPECT_GT(slopeBelow, 2 * slopeAbove);

    battery.Draw(100.0, 1.0);  // far past empty: the voltage bottoms out at 0
    EXPECT_DOUBLE_EQ(battery.OpenCircuitVoltage(), 0.0);
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kCc, 5.0), 0.0);
}

TEST(BatteryModelTest, CurrentFollowsTheRegulationMode) {
    const BatteryModel battery(Battery());
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kCc, 2.5), 2.5);
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kLin, 3.0), 3.0);
    EXPECT_NEAR(battery.CurrentFor(RegulationMode::kCr, 5.35), 54.0 / 5.4, 1e-9);
    EXPECT_NEAR(battery.CurrentFor(RegulationMode::kCv, 53.0), 20.0, 1e-9);
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kCv, 60.0), 0.0);

    // 540 W: the smaller root of 0.05 I^2 - 54 I + 540 = 0 is just above 10 A.
    const double current = battery.CurrentFor(RegulationMode::kCp, 540.0);
    EXPECT_NEAR(battery.TerminalVoltage(current) * current, 540.0, 1e-6);
    EXPECT_GT(current, 10.0);
    EXPECT_LT(current, 10.2);
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kCp, 0.0), 0.0);
}

TEST(BatteryModelTest, CurrentsBeyondTheBatteryAreClamped) {
    const BatteryModel battery(Battery());
    const double shortCircuit = 54.0 / 0.05;
    // More power than the battery can give: held at the maximum-power point.
    EXPECT_NEAR(battery.CurrentFor(RegulationMode::kCp, 1e6), shortCircuit / 2, 1e-6);
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kCc, 5000.0), shortCircuit);
    EXPECT_DOUBLE_EQ(battery.CurrentFor(RegulationMode::kCc, -3.0), 0.0);
    EXPECT_DOUBLE_EQ(battery.TerminalVoltage(5000.0), 0.0);
    EXPECT_NEAR(battery.CurrentFor(RegulationMode::kCr, 0.0), shortCircuit, 1e-6);

    SimOptions ideal = Battery();
    ideal.internalResistance = 0.0;  // no division by zero in CV or CP
    const BatteryModel idealBattery(ideal);
    EXPECT_TRUE(std::isfinite(idealBattery.CurrentFor(RegulationMode::kCv, 50.0)));
    EXPECT_TRUE(std::isfinite(idealBattery.CurrentFor(RegulationMode::kCp, 100.0)));
}
