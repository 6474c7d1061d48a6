#include <gtest/gtest.h>

#include <limits>

#include "NumberText.h"

TEST(NumberText, WritesShortestDecimalText) {
    EXPECT_EQ(NumberText(2.5), "2.5");
    EXPECT_EQ(NumberText(2.50), "2.5");
    EXPECT_EQ(NumberText(12), "12");
    EXPECT_EQ(NumberText(0.125), "0.125");
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(-0.0), "0");
    EXPECT_EQ(NumberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberText(-7.25), "-7.25");
    EXPECT_EQ(NumberText(1e20), "100000000000000000000");
    EXPECT_EQ(NumberText(1e-7), "0.0000001");
    EXPECT_EQ(NumberText(12500), "12500");
}

TEST(NumberText, WritesHugeAndTinyValuesWithoutExponentOrExtraDigits) {
    EXPECT_EQ(NumberText(1e23), "100000000000000000000000");  // not 99999999999999991611392
    EXPECT_EQ(NumberText(123456789012345678.0), "123456789012346000");
    EXPECT_EQ(NumberText(-2.5e16), "-25000000000000000");
    EXPECT_EQ(NumberText(999999999999999.9), "1000000000000000");
    EXPECT_EQ(NumberText(-1.5e-9), "-0.0000000015");
    EXPECT_EQ(NumberText(1.0 / 3.0 * 1e-6), "0.000000333333333333333");
    EXPECT_EQ(NumberText(std::numeric_limits<double>::infinity()), "0");
}

TEST(NumberText, ReadsLongestLeadingNumber) {
    EXPECT_EQ(NumericValue("1,5"), 1);
    EXPECT_EQ(NumericValue("2.5V"), 2.5);
    EXPECT_EQ(NumericValue("abc"), 0);
    EXPECT_EQ(NumericValue(""), 0);
    EXPECT_EQ(NumericValue("  -3.5e2x"), -350);
    EXPECT_EQ(NumericValue(".5"), 0.5);
    EXPECT_EQ(NumericValue("5."), 5);
    EXPECT_EQ(NumericValue("1e"), 1);
    EXPECT_EQ(NumericValue("-"), 0);
    EXPECT_EQ(NumericValue("1e999"), 0);
    EXPECT_EQ(NumericValue("1e-999"), 0);  // below the smallest double: no number
    EXPECT_EQ(NumericValue("+3.25"), 3.25);
    EXPECT_EQ(NumericValue("1.e5"), 100000);
    EXPECT_EQ(NumericValue("-0.1"), -0.1);
    EXPECT_EQ(NumericValue("0.30000000000000004"), 0.1 + 0.2);  // the nearest double, exactly
    EXPECT_EQ(NumericValue(QString(70, QLatin1Char('1')) + "e-69"), 1.1111111111111112);
    EXPECT_FALSE(LeadingNumber("x1").has_value());
    double v = 0;
    EXPECT_TRUE(StrictNumber(" 10 ", &v));
    EXPECT_EQ(v, 10);
    EXPECT_FALSE(StrictNumber("10ms", &v));
    EXPECT_FALSE(StrictNumber("", &v));
}

TEST(NumberText, RoundsHalvesToEven) {
    EXPECT_EQ(RoundedInteger(2.5), 2);
    EXPECT_EQ(RoundedInteger(3.5), 4);
    EXPECT_EQ(RoundedInteger(2.6), 3);
    EXPECT_EQ(RoundedInteger(1e30), 2147483647);
    EXPECT_EQ(KeepFourDecimals(0.123456), 0.1235);
}
