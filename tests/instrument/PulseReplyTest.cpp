#include <gtest/gtest.h>

#include "PulseReply.h"

TEST(PulseReplyTest, VerdictFieldsAndPower) {
    struct Case {
        QString reply;
        PulseReply::Code code;
        QString voltage, current, power;
    };
    const Case cases[] = {
        {"NG,48.2,10.1", PulseReply::kFailed, "48.2", "10.1", "486.82"},
        {"OK,50,2", PulseReply::kPassed, "50", "2", "100"},
        {"OK,abc,2", PulseReply::kPassed, "abc", "2", "0"},
        {"OK,50", PulseReply::kNoResult, "0", "0", "0"},
        {"ok,50,2", PulseReply::kNoResult, "0", "0", "0"},
        {"ErrRec", PulseReply::kNoResult, "0", "0", "0"},
        {"", PulseReply::kNoResult, "0", "0", "0"},
    };
    for (const Case& c : cases) {
        const PulseReply r = ParsePulseReply(c.reply);
        EXPECT_EQ(r.code, c.code) << c.reply.toStdString();
        EXPECT_EQ(r.voltage, c.voltage) << c.reply.toStdString();
        EXPECT_EQ(r.current, c.current) << c.reply.toStdString();
        EXPECT_EQ(r.power, c.power) << c.reply.toStdString();
    }
}
