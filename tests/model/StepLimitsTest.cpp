#include <gtest/gtest.h>

#include "StepLimits.h"

TEST(StepLimits, TimeEntriesTypedAsMinutesAndSecondsBecomeSeconds) {
    EXPECT_EQ(MinutesSecondsToSeconds("1:30"), "90");
    EXPECT_EQ(MinutesSecondsToSeconds(":45"), "45");
    EXPECT_EQ(MinutesSecondsToSeconds("2:15:30"), "135");
    EXPECT_EQ(MinutesSecondsToSeconds("10:30"), "630");
    EXPECT_EQ(MinutesSecondsToSeconds("0:1,5"), "1.5");
    EXPECT_EQ(MinutesSecondsToSeconds("abc:"), "0");
    // Without a colon the entry is already seconds, kept exactly as typed.
    EXPECT_EQ(MinutesSecondsToSeconds("90"), "90");
    EXPECT_EQ(MinutesSecondsToSeconds("1.50"), "1.50");
    EXPECT_EQ(MinutesSecondsToSeconds(""), "");
}

TEST(StepLimits, TooltipsExplainTimes) {
    EXPECT_EQ(SecondsAsClock(90), "0:01:30");
    EXPECT_EQ(SecondsAsClock(0), "0:00:00");
    EXPECT_EQ(SecondsAsClock(3725.5), "1:02:05.5");
    EXPECT_EQ(SecondsAsClock(90000), "25:00:00");
    EXPECT_EQ(SecondsAsClock(-61), "-0:01:01");
    // A huge number typed into a dwell cell still reads as hours.
    EXPECT_EQ(SecondsAsClock(3.6e21), "1000000000000000000:00:00");
    EXPECT_FALSE(SecondsAsClock(1e300).contains('-'));
    EXPECT_TRUE(SecondsAsClock(-1.7e308).startsWith("-47222"));
    EXPECT_EQ(MillisecondsAsSecondsText("500"), "0.5 Second");
    EXPECT_EQ(MillisecondsAsSecondsText("x"), "0 Second");
}

TEST(StepLimits, PulseEntriesAreClampedToTheirBounds) {
    EXPECT_EQ(ClampEntry("0", kCycleCountRange), "1");
    EXPECT_EQ(ClampEntry("3000", kCycleCountRange), "2400");
    EXPECT_EQ(ClampEntry("12.7", kCycleCountRange), "12.7");
    EXPECT_EQ(ClampEntry("", kCycleCountRange), "1");
    EXPECT_EQ(ClampEntry("0.01", kPulseTimeRange), "0.05");
    EXPECT_EQ(ClampEntry("0.05", kPulseTimeRange), "0.05");
    EXPECT_EQ(ClampEntry("10000", kPulseTimeRange), "9999");
    EXPECT_EQ(ClampEntry("0,5", kPulseTimeRange), "0,5");
}

namespace {
LoadLevelEntries Entries(const QString& mode, const QString& value, const QString& dwell = "60",
                         const QString& measure = "1", const QString& frequency = "60") {
    return {mode, value, dwell, measure, frequency};
}
}  // namespace

TEST(StepLimits, LoadValueIsTestedAgainstItsModesRange) {
    struct Case {
        const char* mode;
        const char* value;
        bool valid;
        const char* corrected;
        const char* message;
    };
    const Case cases[] = {
        {"CC", "112.5", true, "112.5", nullptr},
        {"CC", "112.6", false, "0", "Load Level must 0 ~ 112.5(A) !"},
        {"LINCC", "50,5", true, "50.5", nullptr},
        {"LINCC", "-1", false, "0", "Load Level must 0 ~ 112.5(A) !"},
        {"CR", "0.533", true, "0.533", nullptr},
        {"CR", "0.5", false, "0.533", "Load Level must 0.533 ~ 10666(ohm) !"},
        {"CV", "40", false, "50", "Load Level must 50 ~ 350(Vrms) !"},
        {"CV", "350", true, "350", nullptr},
        {"CP", "15001", false, "0", "Load Level must 0 ~ 15000(W) !"},
        {"CC", "abc", false, "0", "Load Level must 0 ~ 112.5(A) !"},
        {"CC", "", false, "0", "Load Level must 0 ~ 112.5(A) !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.mode, c.value).toStdString());
        const LoadLevelCheck check = CheckLoadLevel(Entries(c.mode, c.value));
        EXPECT_EQ(check.valid, c.valid);
        EXPECT_EQ(check.corrected.loadValue, c.corrected);
        if (c.message != nullptr) {
            EXPECT_EQ(check.messages, QStringList{c.message});
            EXPECT_EQ(check.focus, LoadLevelFocus::LoadValue);
        } else {
            EXPECT_TRUE(check.messages.isEmpty());
        }
    }
}

TEST(StepLimits, LoadLevelChecksDwellMeasureAndFrequency) {
    // Only the current modes limit the dwell time; a failed one stays as typed.
    LoadLevelCheck check = CheckLoadLevel(Entries("CC", "5", "90000"));
    EXPECT_FALSE(check.valid);
    EXPECT_EQ(check.messages, QStringList{"Dwell Time must 0 ~ 86400 !"});
    EXPECT_EQ(check.corrected.dwellTime, "90000");
    EXPECT_EQ(check.focus, LoadLevelFocus::DwellTime);
    EXPECT_TRUE(CheckLoadLevel(Entries("CR", "5", "90000")).valid);
    EXPECT_FALSE(CheckLoadLevel(Entries("LINCC", "5", "none")).valid);

    check = CheckLoadLevel(Entries("CC", "5", "60", "0.05", "441"));
    EXPECT_EQ(check.messages,
              (QStringList{"Load Level Meas Time must 0.1 ~ 86400 !", "Frequency must 40 ~ 440!"}));
    EXPECT_EQ(check.corrected.measureTime, "0.1");
    EXPECT_EQ(check.corrected.frequency, "40");
    EXPECT_EQ(check.focus, LoadLevelFocus::LoadValue);
    EXPECT_TRUE(CheckLoadLevel(Entries("CC", "5", "86400", "86400", "440")).valid);

    // Several failures are all reported, in order; the corrected boxes pass
    // a second time.
    check = CheckLoadLevel(Entries("CV", "0", "60", "0", "0"));
    EXPECT_EQ(check.messages.size(), 3);
    EXPECT_TRUE(CheckLoadLevel(check.corrected).valid);
}

TEST(StepLimits, UnknownLoadLevelModeIsRefused) {
    const LoadLevelCheck check = CheckLoadLevel(Entries("LoadLevel", "5"));
    EXPECT_FALSE(check.valid);
    EXPECT_EQ(check.messages, QStringList{"Load Mode ERROR !"});
    EXPECT_EQ(check.corrected.loadValue, "5");
}
