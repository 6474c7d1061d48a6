#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

#include "BrokerProcess.h"
#include "Station.h"
#include "StationTelemetry.h"
#include "TestFiles.h"
#include "TestSubscriber.h"
#include "WindowFixture.h"

namespace {
QString LabelText(const WindowFixture& f) {
    const auto* label = f.Find<QLabel>("TelemetryStatusLabel");
    return label && !label->isHidden() ? label->text() : QString();
}

QString Settings(const QString& telemetry) {
    return "[TRIO]\r\nConnectMode=2\r\nSaveLogFileFlag=1\r\n[Telemetry]\r\n" + telemetry;
}
}  // namespace

TEST(WindowTelemetry, StatusLineFollowsTheBrokerAndPointsTakenWhileItWasAwayArrive) {
    if (!BrokerProcess::Available()) {
        GTEST_SKIP() << "mosquitto is not installed";
    }
    BrokerProcess broker;
    ASSERT_TRUE(broker.Start());
    WindowFixture f;
    f.WriteSettings(
        Settings(QString("Broker=127.0.0.1:%1\r\nTopic=lab/window\r\n").arg(broker.Port())));
    f.WriteTest({{"DisCharge", "CC", "10", "3", "0", "0", "0", "0.2", "NextStep"}});
    f.UseSimulatedLoad();
    f.StartUp();
    const QString address = QString("127.0.0.1:%1").arg(broker.Port());
    ASSERT_TRUE(f.WaitFor([&] { return LabelText(f) == "Telemetry: connected " + address; }))
        << LabelText(f).toStdString();

    broker.Kill();
    ASSERT_TRUE(f.WaitFor([&] { return LabelText(f).contains("broker away " + address); }));
    f.Click("StartCommand");
    EXPECT_TRUE(f.WaitFor([&] { return LabelText(f).contains("waiting"); }));
    ASSERT_TRUE(f.WaitFor([&] { return f.op.Texts().contains("Test Finished"); }, 30000));

    ASSERT_TRUE(broker.Start());
    TestSubscriber sub;
    ASSERT_TRUE(sub.Subscribe(broker.Port(), "lab/window/#"));
    ASSERT_TRUE(
        f.WaitFor([&] { return LabelText(f) == "Telemetry: connected " + address; }, 20000));
    // Every line of the log arrives, although the broker was away for all of them.
    const int lines =
        QString::fromUtf8(ReadFileBytes(f.station->Views().Get(Displays::LogFilePath)))
            .count('\n') -
        1;
    EXPECT_GE(lines, 10);
    EXPECT_TRUE(sub.WaitFor([&] { return sub.On("lab/window/point").size() >= lines; }, 5000));
    EXPECT_EQ(sub.On("lab/window/point").size(), lines);
    const auto statuses = sub.On("lab/window/status");
    ASSERT_FALSE(statuses.isEmpty());
    EXPECT_EQ(QJsonDocument::fromJson(statuses.last().payload).object().value("state").toString(),
              "finished");
    // The run's results file goes out as it is on disk once it is final.
    ASSERT_TRUE(sub.WaitFor([&] { return !sub.On("lab/window/results").isEmpty(); }, 5000));
    const QString results = f.station->Views().Get(Displays::LogFilePath).replace(".CSV", ".json");
    EXPECT_EQ(sub.On("lab/window/results").last().payload, ReadFileBytes(results));
    EXPECT_EQ(QJsonDocument::fromJson(ReadFileBytes(results)).object().value("outcome").toString(),
              "finished");
}

TEST(WindowTelemetry, WithoutABrokerNothingShowsAndAWrongOneIsExplained) {
    WindowFixture quiet;
    quiet.WriteSettings(Settings("Topic=lab/x\r\n"));
    quiet.StartUp();
    EXPECT_EQ(quiet.window->Telemetry(), nullptr);
    EXPECT_TRUE(LabelText(quiet).isEmpty());
    EXPECT_TRUE(quiet.op.Texts().isEmpty());

    WindowFixture wrong;
    wrong.WriteSettings(Settings("Broker=lab broker\r\n"));
    wrong.StartUp();
    EXPECT_EQ(wrong.window->Telemetry(), nullptr);
    ASSERT_EQ(wrong.op.Texts().size(), 1);
    EXPECT_TRUE(wrong.op.Texts()[0].contains("Telemetry is off"))
        << wrong.op.Texts()[0].toStdString();
}
