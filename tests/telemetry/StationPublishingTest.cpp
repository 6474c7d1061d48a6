#include <gtest/gtest.h>

#include <signal.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTime>

#include "BrokerProcess.h"
#include "StationProcess.h"
#include "TestSubscriber.h"

namespace {
QJsonObject Json(const QByteArray& payload) {
    return QJsonDocument::fromJson(payload).object();
}

// The states the status topic went through, repeats folded. The idle state
// of start-up may be replaced by the next one before the station connects.
QStringList States(const QList<TestSubscriber::Message>& statuses) {
    QStringList states;
    for (const auto& m : statuses) {
        const QString state = Json(m.payload).value("state").toString();
        if ((states.isEmpty() && state != "idle") ||
            (!states.isEmpty() && states.last() != state)) {
            states << state;
        }
    }
    return states;
}

// Points by line number; a line number that came twice shows up in `twice`.
QMap<qint64, QJsonObject> PointsByLine(const QList<TestSubscriber::Message>& points,
                                       QList<qint64>* twice) {
    QMap<qint64, QJsonObject> byLine;
    for (const auto& m : points) {
        const QJsonObject point = Json(m.payload);
        const auto line = static_cast<qint64>(point.value("no").toDouble());
        if (byLine.contains(line)) {
            *twice << line;
        }
        byLine.insert(line, point);
    }
    return byLine;
}

// Every CSV line has a point with the same values, and nothing else came.
void ExpectPointsMatchLog(const QMap<qint64, QJsonObject>& points, const QStringList& log) {
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(points.size(), log.size());
    for (const QString& line : log) {
        const QStringList f = line.split(',');
        ASSERT_EQ(f.size(), 15) << line.toStdString();
        const qint64 number = f[0].toLongLong();
        ASSERT_TRUE(points.contains(number)) << "line " << number << " never arrived";
        const QJsonObject p = points[number];
        EXPECT_EQ(p.value("step").toInt(), f[1].toInt());
        EXPECT_EQ(p.value("stepTime").toString(), f[3]);
        EXPECT_DOUBLE_EQ(p.value("voltageA").toDouble(), f[4].toDouble()) << line.toStdString();
        EXPECT_DOUBLE_EQ(p.value("currentC").toDouble(), f[9].toDouble()) << line.toStdString();
        EXPECT_DOUBLE_EQ(p.value("powerB").toDouble(), f[11].toDouble()) << line.toStdString();
        EXPECT_EQ(p.value("totalTime").toString(), f[13]);
        EXPECT_EQ(p.value("stepMode").toString(), f[14]);
        EXPECT_TRUE(p.value("time").toString().endsWith('Z'));
    }
}

// Consecutive numbering and no stall of the run's clock beyond `maxGap` s.
void ExpectLogWhole(const QStringList& log, int maxGapSeconds) {
    QTime previous;
    for (int i = 0; i < log.size(); ++i) {
        const QStringList f = log[i].split(',');
        EXPECT_EQ(f[0].toInt(), i + 1);
        const QTime time = QTime::fromString(f[3], "hh:mm:ss");
        if (previous.isValid()) {
            EXPECT_LE(previous.secsTo(time), maxGapSeconds) << "the run stalled at line " << i + 1;
        }
        previous = time;
    }
}
}  // namespace

class StationPublishingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!BrokerProcess::Available()) {
            GTEST_SKIP() << "mosquitto is not installed";
        }
        ASSERT_TRUE(broker.Start());
    }
    BrokerProcess broker;
};

TEST_F(StationPublishingTest, EveryLogLineArrivesOnceAsAPointAndStatusFollowsTheRunToFinished) {
    TestSubscriber sub;
    ASSERT_TRUE(sub.Subscribe(broker.Port(), "lab/st1/#"));
    StationProcess station(3, 0.1);
    station.Start(ZLD_RUN_PATH, "SN-A1", broker.Url("lab/st1"));
    ASSERT_TRUE(station.WaitForEnd(60000));
    EXPECT_EQ(station.Process().exitCode(), 0) << station.Stderr().toStdString();
    EXPECT_FALSE(station.Stderr().contains("did not reach the broker"));

    const QStringList log = station.LogLines();
    ASSERT_TRUE(sub.WaitFor([&] { return sub.On("lab/st1/point").size() >= log.size(); }, 5000));
    QList<qint64> twice;
    ExpectPointsMatchLog(PointsByLine(sub.On("lab/st1/point"), &twice), log);
    EXPECT_TRUE(twice.isEmpty());

    const QList<TestSubscriber::Message> statuses = sub.On("lab/st1/status");
    EXPECT_EQ(States(statuses), QStringList({"connecting", "running", "finished"}));
    const QJsonObject running = Json(statuses[statuses.size() / 2].payload);
    EXPECT_EQ(running.value("serial").toString(), "SN-A1");
    EXPECT_EQ(running.value("step").toInt(), 1);
    EXPECT_EQ(running.value("action").toString(), "DisCharge");
    EXPECT_EQ(running.value("station").toString(), "st1");
    EXPECT_FALSE(running.value("allowRemoteStop").toBool());
    // A few statuses a second at most, not one per point.
    EXPECT_LT(statuses.size(), log.size() / 2);
    const QJsonObject last = Json(statuses.last().payload);
    EXPECT_GT(last.value("ah").toDouble(), 0.0);
    EXPECT_EQ(last.value("message").toString(), "Test Finished");

    const QList<TestSubscriber::Message> events = sub.On("lab/st1/event");
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(Json(events[0].payload).value("text").toString(), "Test Finished");

    // A view that starts later finds how the run ended.
    TestSubscriber later;
    ASSERT_TRUE(later.Subscribe(broker.Port(), "lab/st1/status"));
    ASSERT_TRUE(later.WaitFor([&] { return !later.Messages().isEmpty(); }, 5000));
    EXPECT_TRUE(later.Messages()[0].retained);
    EXPECT_EQ(Json(later.Messages()[0].payload).value("state").toString(), "finished");
}

TEST_F(StationPublishingTest, BrokerGoneMidRunChangesNothingAndWaitingPointsArriveWhenItReturns) {
    auto first = std::make_unique<TestSubscriber>();
    ASSERT_TRUE(first->Subscribe(broker.Port(), "lab/st2/#"));
    StationProcess station(12, 0.1);
    station.Start(ZLD_RUN_PATH, "SN-B2", broker.Url("lab/st2"));
    ASSERT_TRUE(first->WaitFor([&] { return first->On("lab/st2/point").size() >= 10; }, 30000));
    broker.Kill();
    first->WaitFor([] { return false; }, 1500);
    ASSERT_TRUE(broker.Start());
    TestSubscriber second;
    ASSERT_TRUE(second.Subscribe(broker.Port(), "lab/st2/#"));

    ASSERT_TRUE(station.WaitForEnd(60000));
    EXPECT_EQ(station.Process().exitCode(), 0) << station.Stderr().toStdString();
    EXPECT_TRUE(station.Stderr().contains("message: Test Finished"));
    const QStringList log = station.LogLines();
    ExpectLogWhole(log, 2);
    EXPECT_GE(log.size(), 12 * 5) << "fewer points than a 12 s step at 0.1 s takes";

    QList<TestSubscriber::Message> points = first->On("lab/st2/point");
    points += second.On("lab/st2/point");
    QList<qint64> twice;
    const QMap<qint64, QJsonObject> byLine = PointsByLine(points, &twice);
    ExpectPointsMatchLog(byLine, log);
    EXPECT_FALSE(station.Stderr().contains("did not reach the broker"));
    EXPECT_EQ(States(second.On("lab/st2/status")).last(), "finished");
}

TEST_F(StationPublishingTest, RemoteStopTakesOnlyALiveStopWhereAllowed) {
    TestSubscriber sub;
    ASSERT_TRUE(sub.Subscribe(broker.Port(), "lab/+/status"));
    // A retained "stop" left on the broker must not stop the next run.
    ASSERT_TRUE(sub.Publish("lab/allowed/command", "stop", true));
    StationProcess allowed(30, 0.2, {"AllowRemoteStop=1"});
    StationProcess refused(4, 0.2);
    allowed.Start(ZLD_RUN_PATH, "SN-C3", broker.Url("lab/allowed"));
    refused.Start(ZLD_RUN_PATH, "SN-C4", broker.Url("lab/refused"));
    const auto stateOf = [&](const QString& station) {
        const auto statuses = sub.On("lab/" + station + "/status");
        return statuses.isEmpty() ? QString()
                                  : Json(statuses.last().payload).value("state").toString();
    };
    ASSERT_TRUE(sub.WaitFor(
        [&] { return stateOf("allowed") == "running" && stateOf("refused") == "running"; }, 30000));
    EXPECT_TRUE(
        Json(sub.On("lab/allowed/status").last().payload).value("allowRemoteStop").toBool());

    for (const QByteArray& word : {QByteArray("STOP"), QByteArray("stop "), QByteArray("stop\n"),
                                   QByteArray("start"), QByteArray("")}) {
        ASSERT_TRUE(sub.Publish("lab/allowed/command", word));
    }
    ASSERT_TRUE(sub.Publish("lab/refused/command", "stop"));
    sub.WaitFor([] { return false; }, 1000);
    EXPECT_EQ(allowed.Process().state(), QProcess::Running) << "stopped by a word that is not stop";

    ASSERT_TRUE(sub.Publish("lab/allowed/command", "stop"));
    ASSERT_TRUE(allowed.WaitForEnd(20000));
    EXPECT_EQ(allowed.Process().exitCode(), 130);
    EXPECT_TRUE(sub.WaitFor([&] { return stateOf("allowed") == "stopped"; }, 5000));

    ASSERT_TRUE(refused.WaitForEnd(60000));
    EXPECT_EQ(refused.Process().exitCode(), 0) << "the station without remote stop was stopped";
    EXPECT_TRUE(sub.WaitFor([&] { return stateOf("refused") == "finished"; }, 5000));
    ASSERT_TRUE(sub.Publish("lab/allowed/command", "", true));  // clears the retained one
}

TEST_F(StationPublishingTest, LastWillSaysOfflineWhenTheStationVanishes) {
    TestSubscriber sub;
    ASSERT_TRUE(sub.Subscribe(broker.Port(), "lab/st5/status"));
    StationProcess station(60, 0.2);
    station.Start(ZLD_RUN_PATH, "SN-D5", broker.Url("lab/st5"));
    const auto last = [&] {
        const auto statuses = sub.Messages();
        return statuses.isEmpty() ? QString()
                                  : Json(statuses.last().payload).value("state").toString();
    };
    ASSERT_TRUE(sub.WaitFor([&] { return last() == "running"; }, 30000));
    ::kill(static_cast<pid_t>(station.Process().processId()), SIGKILL);
    station.WaitForEnd(5000);
    EXPECT_TRUE(sub.WaitFor([&] { return last() == "offline"; }, 20000));
}
