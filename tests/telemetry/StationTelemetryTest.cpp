#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include "BrokerProcess.h"
#include "RunHarness.h"
#include "StationTelemetry.h"
#include "TestSubscriber.h"

namespace {
QString StateOf(const TestSubscriber::Message& m) {
    return QJsonDocument::fromJson(m.payload).object().value("state").toString();
}
}  // namespace

// The run's states as the window drives them, in one process: Pause, resume,
// Stop, and an operator message that reaches the lab before anyone answers it.
TEST(StationTelemetry, PauseResumeAndStopShowInTheStatusAndMessagesGoOutFirst) {
    if (!BrokerProcess::Available()) {
        GTEST_SKIP() << "mosquitto is not installed";
    }
    BrokerProcess broker;
    ASSERT_TRUE(broker.Start());
    TestSubscriber sub;
    ASSERT_TRUE(sub.Subscribe(broker.Port(), "lab/w/#"));
    RunHarness h;
    h.Prepare({{"DisCharge", "CC", "10", "60", "0", "0", "0", "0.2", "NextStep"}}, 1, 0.2);
    TelemetrySettings settings;
    settings.host = "127.0.0.1";
    settings.port = broker.Port();
    settings.topic = "lab/w";
    StationTelemetry telemetry(*h.station, settings);
    QString error;
    ASSERT_TRUE(telemetry.Start(&error)) << error.toStdString();

    const auto lastState = [&] {
        const auto statuses = sub.On("lab/w/status");
        return statuses.isEmpty() ? QString() : StateOf(statuses.last());
    };
    const auto reach = [&](const QString& state) {
        return h.RunUntil([&] { return lastState() == state; }, 15000);
    };
    // A status still queued is replaced by a newer one, so "connecting" only
    // reaches the broker once the link to it is up before the run starts.
    ASSERT_TRUE(reach("idle"));
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(reach("running"));
    h.station->Pause();
    ASSERT_TRUE(reach("paused"));
    EXPECT_EQ(telemetry.RunStateText(), "paused");
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(reach("running"));
    h.station->Stop();
    ASSERT_TRUE(reach("stopped"));

    QStringList states;
    for (const auto& m : sub.On("lab/w/status")) {
        if (states.isEmpty() || states.last() != StateOf(m)) {
            states << StateOf(m);
        }
    }
    states.removeAll("idle");
    EXPECT_EQ(states, QStringList({"connecting", "running", "paused", "running", "stopped"}));

    // The recording operator stands for a message box nobody answers yet: the
    // event must already be out when the box appears.
    int eventsWhenShown = -1;
    h.op.onMessage = [&](const QString&) {
        sub.WaitFor([&] { return !sub.On("lab/w/event").isEmpty(); }, 5000);
        eventsWhenShown = sub.On("lab/w/event").size();
    };
    h.station->Views().Set(Displays::SerialNumber, "bad/serial");
    QTimer::singleShot(0, h.station.get(), [&] { h.station->Start(); });
    ASSERT_TRUE(h.RunUntil([&] { return eventsWhenShown >= 0; }, 10000));
    EXPECT_EQ(eventsWhenShown, 1);
    EXPECT_TRUE(QJsonDocument::fromJson(sub.On("lab/w/event").last().payload)
                    .object()
                    .value("text")
                    .toString()
                    .contains("bad/serial"));
}
