#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "IniFile.h"
#include "TelemetrySettings.h"

namespace {
struct UrlCase {
    const char* url;
    bool ok;
    const char* host;
    int port;
    const char* topic;  // expected topic; the configured one is "zld3300/bench"
    bool tls;
};

class PublishUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(PublishUrl, OverridesBrokerAndTopicOrIsRefusedWhole) {
    const UrlCase c = GetParam();
    TelemetrySettings s;
    s.topic = "zld3300/bench";
    QString error;
    EXPECT_EQ(ApplyPublishUrl(c.url, &s, &error), c.ok) << c.url;
    if (c.ok) {
        EXPECT_EQ(s.host, c.host);
        EXPECT_EQ(s.port, c.port);
        EXPECT_EQ(s.topic, c.topic);
        EXPECT_EQ(s.tls, c.tls);
    } else {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(s.Enabled()) << "a refused URL must not switch publishing on";
        EXPECT_EQ(s.topic, "zld3300/bench");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Urls, PublishUrl,
    ::testing::Values(
        UrlCase{"mqtt://127.0.0.1:1884/lab/st7", true, "127.0.0.1", 1884, "lab/st7", false},
        UrlCase{"mqtt://127.0.0.1/lab/st7/", true, "127.0.0.1", 1883, "lab/st7", false},
        UrlCase{"mqtt://127.0.0.1:1884", true, "127.0.0.1", 1884, "zld3300/bench", false},
        UrlCase{"mqtts://[::1]/x", true, "::1", 8883, "x", true},
        UrlCase{"mqtt://127.0.0.1:1884/lab/#", false, "", 0, "", false},
        UrlCase{"mqtt://127.0.0.1:1884/a+b", false, "", 0, "", false},
        UrlCase{"http://127.0.0.1/x", false, "", 0, "", false},
        UrlCase{"127.0.0.1:1883", false, "", 0, "", false},
        UrlCase{"mqtt://user:pw@127.0.0.1/x", false, "", 0, "", false},
        UrlCase{"mqtt://127.0.0.1:99999/x", false, "", 0, "", false}));
}  // namespace

TEST(TelemetrySettings, IniSectionWithDefaultsAndMistakesThatKeepPublishingOff) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("TRIO.INI");
    QStringList problems;

    // No section: off, topic from the host name.
    TelemetrySettings s = ReadTelemetrySettings(ini, "bench-07", &problems);
    EXPECT_FALSE(s.Enabled());
    EXPECT_EQ(s.topic, "zld3300/bench-07");
    EXPECT_FALSE(s.allowRemoteStop);
    EXPECT_EQ(s.queueLimit, 10000);
    EXPECT_TRUE(problems.isEmpty());

    WriteSetting(ini, "Telemetry", "Broker", "broker.lab:1884");
    WriteSetting(ini, "Telemetry", "AllowRemoteStop", "1");
    WriteSetting(ini, "Telemetry", "PasswordFile", "/etc/zld/pw");
    s = ReadTelemetrySettings(ini, "bench-07", &problems);
    EXPECT_EQ(s.BrokerText(), "broker.lab:1884");
    EXPECT_TRUE(s.allowRemoteStop);
    EXPECT_FALSE(s.tls);
    EXPECT_TRUE(problems.isEmpty());

    // A CA file means TLS and its default port.
    WriteSetting(ini, "Telemetry", "Broker", "broker.lab");
    WriteSetting(ini, "Telemetry", "CAFile", "/etc/zld/ca.crt");
    s = ReadTelemetrySettings(ini, "bench-07", &problems);
    EXPECT_TRUE(s.tls);
    EXPECT_EQ(s.port, 8883);

    // "yes" is not 1: remote stop stays off, and the operator hears why.
    WriteSetting(ini, "Telemetry", "AllowRemoteStop", "yes");
    s = ReadTelemetrySettings(ini, "bench-07", &problems);
    EXPECT_FALSE(s.allowRemoteStop);
    EXPECT_EQ(problems.size(), 1);

    for (const char* broker : {"broker.lab:", "broker.lab:0", "broker.lab:x", "a b:1883", "[::1"}) {
        problems.clear();
        WriteSetting(ini, "Telemetry", "Broker", broker);
        WriteSetting(ini, "Telemetry", "AllowRemoteStop", "0");
        EXPECT_FALSE(ReadTelemetrySettings(ini, "h", &problems).Enabled()) << broker;
        EXPECT_EQ(problems.size(), 1) << broker;
    }

    problems.clear();
    WriteSetting(ini, "Telemetry", "Broker", "127.0.0.1:1883");
    WriteSetting(ini, "Telemetry", "Topic", "lab/#");
    EXPECT_FALSE(ReadTelemetrySettings(ini, "h", &problems).Enabled());
    EXPECT_EQ(problems.size(), 1);
}

TEST(TelemetrySettings, PasswordFileGivesItsFirstLineOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("pw");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("s3 cret\r\nsecond line\n");
    file.close();
    QString password;
    QString error;
    ASSERT_TRUE(ReadPasswordFile(path, &password, &error));
    EXPECT_EQ(password, "s3 cret");
    EXPECT_FALSE(ReadPasswordFile(dir.filePath("missing"), &password, &error));
    EXPECT_TRUE(error.contains("missing"));
}
