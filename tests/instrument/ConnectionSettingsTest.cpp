#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "Clock.h"
#include "IniFile.h"
#include "LoadConnection.h"
#include "RecordingOperator.h"
#include "TestFiles.h"

namespace {
class ConnectionSettingsTest : public ::testing::Test {
  protected:
    QString PathOf(const QString& name) const { return QDir(folder.path()).filePath(name); }
    void Load() { connection.LoadConnectionSettings(settingsPath, testFilePath); }
    bool Store(QString* error = nullptr) {
        return connection.StoreConnectionSettings(settingsPath, testFilePath, error);
    }
    QString Row(int column) const { return grid().Text(0, column); }
    const StatusGridModel& grid() const {
        return const_cast<LoadConnection&>(connection).StatusGrid();
    }
    QString Header() const {
        return grid().headerData(StatusGridModel::kAddressColumn, Qt::Horizontal).toString();
    }
    int StatusRgb() const {
        return grid()
            .data(grid().index(0, StatusGridModel::kStatusColumn), StatusGridModel::kTextRgbRole)
            .toInt();
    }
    const ConnectionRecord& Channel1() const { return connection.Records()[1]; }

    QTemporaryDir folder;
    QString settingsPath = PathOf("TRIO.INI");
    QString testFilePath = PathOf("TestFile01.INI");
    RecordingOperator op;
    LoadConnection connection{op, SystemClock::Instance()};
};
}  // namespace

TEST_F(ConnectionSettingsTest, FreshInstallationShowsTheFactoryLanAddress) {
    Load();
    const ConnectionPanel& panel = connection.Panel();
    EXPECT_EQ(panel.medium, Medium::Lan);
    EXPECT_EQ(panel.ip, QStringLiteral("192.168.16.128"));
    EXPECT_EQ(panel.port, QStringLiteral("4001"));
    EXPECT_EQ(panel.comPort, QStringLiteral("01"));
    EXPECT_EQ(panel.gpibAddress, QStringLiteral("05"));
    EXPECT_EQ(Channel1().medium, Medium::Lan);
    EXPECT_EQ(Channel1().baudRate, 115200);
    EXPECT_EQ(connection.LoadCount(), 1);

    EXPECT_EQ(Header(), QStringLiteral("TCPIP"));
    EXPECT_EQ(Row(0), QStringLiteral("1"));
    EXPECT_EQ(Row(1), QStringLiteral("192.168.16.128:4001"));
    EXPECT_EQ(Row(2), QStringLiteral("Wait"));
    EXPECT_EQ(StatusRgb(), StatusGridModel::kBlue);
    // Reading creates nothing.
    EXPECT_FALSE(QFile::exists(settingsPath));
    EXPECT_FALSE(QFile::exists(testFilePath));
}

TEST_F(ConnectionSettingsTest, StoreWritesKeysInPlaceAndKeepsEverythingElse) {
    WriteFileBytes(settingsPath, "[TRIO]\r\nTestFileName01=x.INI\r\nConnectMode=2\r\n");
    WriteFileBytes(testFilePath,
                   "; steps below\r\n"
                   "[TestStep Option]\r\nTotalStep=1\r\n"
                   "[Load1 Option]\r\nIP=10.0.0.9\r\nPort=5025\r\nExtra=keep me\r\n"
                   "[Step1]\r\nActionMode=Rest\r\n");
    Load();
    EXPECT_EQ(Row(1), QStringLiteral("10.0.0.9:5025"));

    ConnectionPanel& panel = connection.Panel();
    panel.medium = Medium::Gpib;
    panel.gpibAddress = QStringLiteral("12");
    panel.ip = QStringLiteral("127.0.0.1");
    panel.port = QStringLiteral("4002");
    panel.rs485 = true;
    ASSERT_TRUE(Store());

    EXPECT_EQ(ReadFileBytes(settingsPath),
              QByteArray("[TRIO]\r\nTestFileName01=x.INI\r\nConnectMode=1\r\n"));
    EXPECT_EQ(ReadFileBytes(testFilePath),
              QByteArray("; steps below\r\n"
                         "[TestStep Option]\r\nTotalStep=1\r\n"
                         "[Load1 Option]\r\nIP=127.0.0.1\r\nPort=4002\r\nExtra=keep me\r\n"
                         "ComPort=01\r\nBaudRate=115200\r\nRS232toRS485=1\r\nLoadCheck=1\r\n"
                         "GPIBAddress=12\r\n"
                         "[Step1]\r\nActionMode=Rest\r\n"));
    EXPECT_EQ(Header(), QStringLiteral("GPIB"));
    EXPECT_EQ(Row(1), QStringLiteral("12"));

    // After a store the LAN row shows the bare address, after a load address:port.
    connection.Panel().medium = Medium::Lan;
    ASSERT_TRUE(Store());
    EXPECT_EQ(Row(1), QStringLiteral("127.0.0.1"));
    Load();
    EXPECT_EQ(Row(1), QStringLiteral("127.0.0.1:4002"));
    EXPECT_EQ(Channel1().viaRs485, 1);
}

TEST_F(ConnectionSettingsTest, OddTextsStoreAndReadSafely) {
    WriteFileBytes(settingsPath, "[TRIO]\r\nConnectMode=7\r\n");
    Load();
    EXPECT_EQ(Channel1().medium, Medium::Lan);

    ConnectionPanel& panel = connection.Panel();
    panel.port = QStringLiteral("40x1");
    panel.rs485Id = QStringLiteral("abc");
    panel.ip = QStringLiteral("10.1.1.1\r\n[TRIO]\r\nConnectMode=0");
    ASSERT_TRUE(Store());
    EXPECT_EQ(Channel1().port, 0);
    EXPECT_EQ(Channel1().rs485Id, 0);

    const IniFile stored = IniFile::Load(testFilePath);
    EXPECT_EQ(stored.Value("Load1 Option", "Port", "?"), QStringLiteral("0"));
    EXPECT_EQ(stored.Value("Load1 Option", "IP", "?"),
              QStringLiteral("10.1.1.1[TRIO]ConnectMode=0"));
    EXPECT_FALSE(stored.Contains("TRIO", "ConnectMode"));
}

TEST_F(ConnectionSettingsTest, UnwritableTestFileIsReported) {
    testFilePath = PathOf("missing-folder/TestFile01.INI");
    QString error;
    EXPECT_FALSE(Store(&error));
    EXPECT_TRUE(error.contains("TestFile01.INI")) << error.toStdString();
    // The settings file is independent of it.
    EXPECT_EQ(ReadSetting(settingsPath, "TRIO", "ConnectMode", "?"), QStringLiteral("2"));
}

TEST_F(ConnectionSettingsTest, KeysReadWhateverTheirCaseAndKeepTheirSpellingWhenStored) {
    WriteFileBytes(settingsPath, "[trio]\r\nconnectmode=0\r\n");
    WriteFileBytes(testFilePath,
                   "[LOAD1 OPTION]\r\nPORT=5025\r\nip=10.0.0.9\r\ncomport=07\r\n"
                   "BAUDRATE=9600\r\nGpibAddress=9\r\nid=3\r\nmscount=4\r\n");
    Load();
    EXPECT_EQ(Channel1().medium, Medium::Serial);
    EXPECT_EQ(Channel1().port, 5025);
    EXPECT_EQ(Channel1().ip, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(Channel1().comPort, 7);
    EXPECT_EQ(Channel1().baudRate, 9600);
    EXPECT_EQ(Channel1().gpibAddress, 9);
    EXPECT_EQ(Channel1().rs485Id, 3);
    EXPECT_EQ(Channel1().unitCount, 4);
    EXPECT_EQ(Row(1), QStringLiteral("7"));

    // A store changes the values in place; "ID" and "MSCount" are never written.
    connection.Panel().port = QStringLiteral("5026");
    connection.Panel().rs485Id = QStringLiteral("8");
    ASSERT_TRUE(Store());
    EXPECT_EQ(ReadFileBytes(testFilePath),
              QByteArray("[LOAD1 OPTION]\r\nPORT=5026\r\nip=10.0.0.9\r\ncomport=07\r\n"
                         "BAUDRATE=9600\r\nGpibAddress=09\r\nid=3\r\nmscount=4\r\n"
                         "RS232toRS485=0\r\nLoadCheck=1\r\n"));
    EXPECT_EQ(Channel1().rs485Id, 8);
}

TEST(ConnectionPanelAddressTest, AnIpv4AddressOrAHostNameIsAccepted) {
    for (const char* text : {"192.168.16.128", "127.0.0.1", "0.0.0.0", "255.255.255.255",
                             "localhost", "load-3.lab.example", "LOAD7.", "a1"}) {
        EXPECT_TRUE(ConnectionPanel::IsHostText(text)) << text;
    }
    // Mistyped addresses, and forms some resolvers would read as another host
    // (octal "016", a bare number).
    for (const char* text :
         {"", "192.168.16", "192.168.16.256", "1.2.3.4.5", "192.168.016.128", "3232239744", "-load",
          "load_3", "lab..example", "two words", "::1", "http://192.168.16.128"}) {
        EXPECT_FALSE(ConnectionPanel::IsHostText(text)) << text;
    }
    ConnectionPanel panel;
    panel.ip = QStringLiteral(" 10.0.0.9\r\n");
    EXPECT_EQ(panel.IpProblem(), QString());
    panel.ip = QStringLiteral(" ");
    EXPECT_EQ(panel.IpProblem(), QStringLiteral("Load IP must not be empty."));
}
