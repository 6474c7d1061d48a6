#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableView>

#include "BrokerProcess.h"
#include "FleetModel.h"
#include "FleetWindow.h"
#include "MqttClient.h"
#include "PhaseChart.h"
#include "QuantityChart.h"
#include "StationChartWindow.h"
#include "StationProcess.h"
#include "TelemetryPayloads.h"
#include "TestSubscriber.h"

namespace {
MqttClient::Options FleetOptions(quint16 port) {
    MqttClient::Options options;
    options.host = "127.0.0.1";
    options.port = port;
    options.subscriptions = {"zld3300/#"};
    return options;
}

QPushButton* StopButton(const FleetWindow& window, int row) {
    return qobject_cast<QPushButton*>(
        window.Table().indexWidget(window.Model().index(row, FleetModel::kStop)));
}
}  // namespace

TEST(FleetWindow, ThreeStationsWithStateStaleRowsRemoteStopWhereAllowedAndALiveChart) {
    if (!BrokerProcess::Available()) {
        GTEST_SKIP() << "mosquitto is not installed";
    }
    BrokerProcess broker;
    ASSERT_TRUE(broker.Start());
    // A station that went silent a minute ago, as its retained status says.
    StationStatus ghost;
    ghost.station = "ghost";
    ghost.state = "running";
    ghost.allowRemoteStop = true;
    ghost.time = QDateTime::currentDateTimeUtc().addSecs(-60);
    TestSubscriber lab;
    ASSERT_TRUE(lab.Subscribe(broker.Port(), "zld3300/+/command"));
    ASSERT_TRUE(lab.Publish("zld3300/ghost/status", StatusPayload(ghost), true));

    StationProcess alpha(40, 0.2, {"AllowRemoteStop=1"});
    StationProcess bravo(3, 0.2);
    StationProcess charlie(40, 0.2);
    alpha.Start(ZLD_RUN_PATH, "SN-ALPHA", broker.Url("zld3300/alpha"));
    bravo.Start(ZLD_RUN_PATH, "SN-BRAVO", broker.Url("zld3300/bravo"));
    charlie.Start(ZLD_RUN_PATH, "SN-CHARLIE", broker.Url("zld3300/charlie"));

    MqttClient client(FleetOptions(broker.Port()));
    QString error;
    ASSERT_TRUE(client.Start(&error));
    FleetWindow window(client);
    QStringList asked;
    window.SetConfirm([&](const QString& question) {
        asked << question;
        return true;
    });
    window.show();
    FleetModel& model = window.Model();
    const auto row = [&](const char* name) { return model.RowOf(QString("zld3300/") + name); };
    const auto state = [&](const char* name) {
        return row(name) < 0 ? QString() : model.StatusAt(row(name)).state;
    };
    ASSERT_TRUE(lab.WaitFor(
        [&] {
            return state("alpha") == "running" && state("bravo") == "running" &&
                   state("charlie") == "running" && row("ghost") >= 0;
        },
        30000))
        << model.rowCount() << " rows";

    EXPECT_TRUE(model.StaleAt(row("ghost")));
    EXPECT_FALSE(model.StaleAt(row("alpha")));
    EXPECT_EQ(model.index(row("alpha"), FleetModel::kSerial).data().toString(), "SN-ALPHA");
    EXPECT_EQ(model.index(row("charlie"), FleetModel::kStep).data().toString(), "1 DisCharge");
    EXPECT_EQ(
        model.index(row("alpha"), FleetModel::kState).data(Qt::ForegroundRole).value<QColor>(),
        FleetModel::StateColour("running"));
    EXPECT_NE(FleetModel::StateColour("running"), FleetModel::StateColour("error"));
    // Stop only where the station allows it and is heard from.
    ASSERT_NE(StopButton(window, row("alpha")), nullptr);
    EXPECT_EQ(StopButton(window, row("bravo")), nullptr);
    EXPECT_EQ(StopButton(window, row("charlie")), nullptr);
    EXPECT_EQ(StopButton(window, row("ghost")), nullptr);
    EXPECT_FALSE(window.RequestStop(row("charlie")));

    StationChartWindow* chart = window.OpenChart(row("charlie"));
    ASSERT_NE(chart, nullptr);
    const QuantityChart& voltage = chart->Chart().Chart(PhaseChart::kVoltage);
    const int before = voltage.PointCount(0);
    EXPECT_TRUE(lab.WaitFor([&] { return voltage.PointCount(0) >= before + 5; }, 10000));
    EXPECT_EQ(window.OpenChart(row("charlie")), chart) << "a second double-click opened another";

    StopButton(window, row("alpha"))->click();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("SN-ALPHA"));
    ASSERT_TRUE(alpha.WaitForEnd(20000));
    EXPECT_EQ(alpha.Process().exitCode(), 130);
    EXPECT_TRUE(lab.WaitFor([&] { return state("alpha") == "stopped"; }, 10000));
    EXPECT_EQ(StopButton(window, row("alpha")), nullptr);
    EXPECT_EQ(lab.On("zld3300/alpha/command").size(), 1);
    EXPECT_TRUE(lab.On("zld3300/charlie/command").isEmpty());

    ASSERT_TRUE(bravo.WaitForEnd(30000));
    EXPECT_TRUE(lab.WaitFor([&] { return state("bravo") == "finished"; }, 10000));
    EXPECT_EQ(state("charlie"), "running");
    charlie.Kill();
    EXPECT_TRUE(lab.WaitFor([&] { return state("charlie") == "offline"; }, 10000));
    EXPECT_EQ(model.index(row("charlie"), FleetModel::kSerial).data().toString(), "SN-CHARLIE")
        << "the last will must not wipe what the row knew";
    EXPECT_EQ(model.rowCount(), 4);
    client.Stop();
}
