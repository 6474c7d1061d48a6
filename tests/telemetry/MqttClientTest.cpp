#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "BrokerProcess.h"
#include "MqttClient.h"
#include "TestSubscriber.h"

namespace {
MqttClient::Options OptionsFor(const BrokerProcess& broker) {
    MqttClient::Options options;
    options.host = QStringLiteral("127.0.0.1");
    options.port = broker.Port();
    options.reconnectDelayMaxSeconds = 2;
    return options;
}

QList<QByteArray> Payloads(const QList<TestSubscriber::Message>& messages) {
    QList<QByteArray> payloads;
    for (const auto& m : messages) {
        payloads << m.payload;
    }
    return payloads;
}

QList<QByteArray> Numbered(int from, int to) {
    QList<QByteArray> list;
    for (int i = from; i <= to; ++i) {
        list << QByteArray::number(i);
    }
    return list;
}
}  // namespace

class MqttClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!BrokerProcess::Available()) {
            GTEST_SKIP() << "mosquitto is not installed";
        }
    }
    BrokerProcess broker;
};

TEST_F(MqttClientTest, DeliversEveryMessageOnceInOrderAndKeepsTheRetainedOne) {
    ASSERT_TRUE(broker.Start());
    TestSubscriber live;
    ASSERT_TRUE(live.Subscribe(broker.Port(), "st/#"));
    MqttClient client(OptionsFor(broker));
    QString error;
    ASSERT_TRUE(client.Start(&error)) << error.toStdString();
    for (int i = 1; i <= 500; ++i) {
        client.Publish("st/point", QByteArray::number(i), false);
    }
    client.Publish("st/status", "old", true);
    client.Publish("st/status", "new", true);
    ASSERT_TRUE(live.WaitFor([&] { return live.On("st/point").size() >= 500; }, 15000));
    EXPECT_TRUE(client.Flush(5000));
    EXPECT_EQ(Payloads(live.On("st/point")), Numbered(1, 500));
    EXPECT_GE(client.Stats().delivered, 501);
    EXPECT_EQ(client.Stats().dropped, 0);

    TestSubscriber later;
    ASSERT_TRUE(later.Subscribe(broker.Port(), "st/#"));
    ASSERT_TRUE(later.WaitFor([&] { return !later.Messages().isEmpty(); }, 5000));
    later.WaitFor([] { return false; }, 200);
    ASSERT_EQ(later.Messages().size(), 1);
    EXPECT_EQ(later.Messages()[0].payload, "new");
    EXPECT_TRUE(later.Messages()[0].retained);
}

TEST_F(MqttClientTest, MessagesWaitForAnAbsentBrokerWithinTheLimitOldestDroppedFirst) {
    ASSERT_TRUE(broker.Start());
    broker.Kill();
    MqttClient::Options options = OptionsFor(broker);
    options.queueLimit = 5;
    MqttClient client(options);
    QString error;
    ASSERT_TRUE(client.Start(&error));
    for (int i = 1; i <= 8; ++i) {
        client.Publish("st/point", QByteArray::number(i), false);
    }
    EXPECT_EQ(client.Stats().waiting, 5);
    EXPECT_EQ(client.Stats().dropped, 3);
    EXPECT_FALSE(client.Flush(100));
    EXPECT_NE(client.CurrentState(), MqttClient::State::Connected);
    // A command is sent now or never: it must not reach a later run.
    EXPECT_FALSE(client.PublishIfConnected("st/command", "stop"));

    ASSERT_TRUE(broker.Start());
    TestSubscriber sub;
    ASSERT_TRUE(sub.Subscribe(broker.Port(), "st/#"));
    ASSERT_TRUE(sub.WaitFor([&] { return sub.On("st/point").size() >= 5; }, 15000))
        << StateText(client.CurrentState()).toStdString() << " "
        << client.LastError().toStdString();
    EXPECT_EQ(Payloads(sub.On("st/point")), Numbered(4, 8));
    EXPECT_EQ(client.CurrentState(), MqttClient::State::Connected);
    EXPECT_TRUE(sub.On("st/command").isEmpty());
    EXPECT_TRUE(client.PublishIfConnected("st/command", "stop"));
    EXPECT_TRUE(sub.WaitFor([&] { return sub.On("st/command").size() == 1; }, 5000));
}

TEST_F(MqttClientTest, PasswordIsCheckedByTheBroker) {
    const QString passwd = QStandardPaths::findExecutable("mosquitto_passwd");
    if (passwd.isEmpty()) {
        GTEST_SKIP() << "mosquitto_passwd is not installed";
    }
    const QString file = broker.Folder() + "/passwords";
    ASSERT_EQ(QProcess::execute(passwd, {"-b", "-c", file, "station", "s3cret"}), 0);
    QFile::setPermissions(file, QFile::permissions(file) | QFile::ReadOther);
    broker.SetExtraConfig("allow_anonymous false\npassword_file " + file + "\n");
    ASSERT_TRUE(broker.Start());

    MqttClient::Options wrong = OptionsFor(broker);
    wrong.username = "station";
    wrong.password = "guess";
    MqttClient refused(wrong);
    QString error;
    ASSERT_TRUE(refused.Start(&error));
    refused.Publish("st/point", "x", false);

    MqttClient::Options right = wrong;
    right.password = "s3cret";
    MqttClient accepted(right);
    ASSERT_TRUE(accepted.Start(&error));
    accepted.Publish("st/point", "y", false);
    TestSubscriber sub;  // anonymous: refused, so ask the accepted client itself
    EXPECT_TRUE(sub.WaitFor([&] { return accepted.Stats().delivered == 1; }, 10000));
    EXPECT_TRUE(sub.WaitFor([&] { return !refused.LastError().isEmpty(); }, 10000));
    EXPECT_EQ(refused.Stats().delivered, 0);
    EXPECT_NE(refused.CurrentState(), MqttClient::State::Connected);
}
