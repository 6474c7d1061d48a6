#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include "ConnectionSetupPanel.h"
#include "IniFile.h"
#include "LoadConnection.h"
#include "Station.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {
class ConnectionPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        f.WriteSettings("[TRIO]\r\nConnectMode=2\r\n");
        f.WriteTest({{"Suspend", "", "", "1", "0", "", "", "1", "NextStep"}});
        f.StartUp();
        f.Click("ConnectCommand");
        ASSERT_TRUE(Panel()->isVisible());
    }

    ConnectionSetupPanel* Panel() const { return f.Find<ConnectionSetupPanel>("ConnectionFrame"); }
    QString Stored(const QString& key) const {
        return ReadSetting(f.TestPath(), "Load1 Option", key, "<none>");
    }

    WindowFixture f;
};
}  // namespace

TEST_F(ConnectionPanelTest, OkStoresConnectModeAndTheChannelKeysThenSaves) {
    f.Click("Option1_2");  // GPIB
    f.Find<QComboBox>("LoadComPortCombo_1")->setCurrentText("07");
    f.Find<QComboBox>("LoadComPortCombo_0")->setCurrentText("03");
    f.Find<QLineEdit>("txtIP")->setText("127.0.0.1");
    f.Find<QLineEdit>("txtPort")->setText("4010");
    f.op.saveAnswer = f.TestPath();

    f.Click("ConnectOKCommand");

    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_EQ(ReadSetting(f.SettingsPath(), "TRIO", "ConnectMode", "<none>"), "1");
    EXPECT_EQ(Stored("GPIBAddress"), "07");
    EXPECT_EQ(Stored("ComPort"), "03");
    EXPECT_EQ(Stored("BaudRate"), "115200");
    EXPECT_EQ(Stored("IP"), "127.0.0.1");
    EXPECT_EQ(Stored("Port"), "4010");
    EXPECT_EQ(Stored("LoadCheck"), "1");
    EXPECT_EQ(Stored("RS232toRS485"), "0");
    EXPECT_EQ(f.op.saveDialogs, 1);
    // The steps went along with the save.
    EXPECT_EQ(ReadSetting(f.TestPath(), "Step1", "ActionMode", ""), "Suspend");
}

TEST_F(ConnectionPanelTest, CancelStoresNothing) {
    const QByteArray settingsBefore = ReadFileBytes(f.SettingsPath());
    const QByteArray testBefore = ReadFileBytes(f.TestPath());
    f.Click("Option1_1");
    f.Find<QLineEdit>("txtIP")->setText("10.0.0.9");

    f.Click("ConnectCancelCommand");

    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_EQ(ReadFileBytes(f.SettingsPath()), settingsBefore);
    EXPECT_EQ(ReadFileBytes(f.TestPath()), testBefore);
    EXPECT_EQ(f.station->Connection().Panel().ip, "192.168.16.128");
    // Opening it again shows what is stored, not what was typed.
    f.Click("ConnectCommand");
    EXPECT_EQ(f.Find<QLineEdit>("txtIP")->text(), "192.168.16.128");
    EXPECT_TRUE(f.Find<QRadioButton>("Option1_0")->isChecked());
}

TEST_F(ConnectionPanelTest, PortThatIsNoNumberIsRefusedWithAMessage) {
    const QByteArray testBefore = ReadFileBytes(f.TestPath());
    f.Find<QLineEdit>("txtPort")->setText("");

    f.Click("ConnectOKCommand");

    ASSERT_EQ(f.op.messages.size(), 1);
    EXPECT_TRUE(f.op.messages[0].text.startsWith("PORT must be"));
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_EQ(f.op.saveDialogs, 0);
    EXPECT_EQ(ReadFileBytes(f.TestPath()), testBefore);
}

TEST_F(ConnectionPanelTest, ComPortShowsTheSerialDeviceItOpens) {
    auto* com = f.Find<QComboBox>("LoadComPortCombo_0");
    auto* device = f.Find<QLabel>("SerialDeviceLabel");
    com->setCurrentText("01");
    EXPECT_EQ(device->text(), "/dev/ttyS0");

    f.WriteSettings("[TRIO]\r\nConnectMode=0\r\n[Serial Ports]\r\nCOM3=/dev/ttyUSB0\r\n");
    f.Click("ConnectCommand");  // reopening reads the settings file again
    com->setCurrentText("03");
    EXPECT_EQ(device->text(), "/dev/ttyUSB0");
    EXPECT_TRUE(f.Find<QRadioButton>("Option1_1")->isChecked());
}

TEST_F(ConnectionPanelTest, StoredValueOutsideThePickerListIsKept) {
    IniFile test = IniFile::Load(f.TestPath());
    test.SetValue("Load1 Option", "BaudRate", "57600");
    ASSERT_TRUE(test.Save(f.TestPath()));
    f.Click("ConnectCommand");
    EXPECT_EQ(f.Find<QComboBox>("LoadBaudRateCombo_0")->currentText(), "57600");

    f.op.saveAnswer = f.TestPath();
    f.Click("ConnectOKCommand");
    EXPECT_EQ(Stored("BaudRate"), "57600");
}

TEST(ConnectionPanelSession, SimulatedLoadShowsInThePanelAndWritesNoFile) {
    WindowFixture f;
    f.WriteSettings("[TRIO]\r\nConnectMode=1\r\n");
    f.WriteTest({});
    const QByteArray settingsBefore = ReadFileBytes(f.SettingsPath());
    const QByteArray testBefore = ReadFileBytes(f.TestPath());
    f.UseSimulatedLoad();
    f.StartUp();

    const QString port = QString::number(f.station->Connection().Panel().port.toInt());
    const QAbstractItemModel* status = f.Find<QTableView>("LoadStatusGrid")->model();
    EXPECT_EQ(status->headerData(1, Qt::Horizontal).toString(), "TCPIP");
    EXPECT_EQ(status->index(0, 1).data().toString(), "127.0.0.1:" + port);

    f.Click("ConnectCommand");
    EXPECT_TRUE(f.Find<QRadioButton>("Option1_0")->isChecked());
    EXPECT_EQ(f.Find<QLineEdit>("txtIP")->text(), "127.0.0.1");
    EXPECT_NE(f.Find<QLineEdit>("txtPort")->text(), "4001");
    f.Click("ConnectCancelCommand");

    EXPECT_EQ(ReadFileBytes(f.SettingsPath()), settingsBefore);
    EXPECT_EQ(ReadFileBytes(f.TestPath()), testBefore);
}

TEST_F(ConnectionPanelTest, OnlyTheChosenMediumsEntriesCanBeEdited) {
    const QStringList lan{"txtIP", "txtPort"};
    const QStringList serial{"LoadComPortCombo_0", "LoadBaudRateCombo_0", "PS485Check",
                             "PS485IDText", "MSCountText"};
    const QStringList gpib{"LoadComPortCombo_1"};
    struct Case {
        const char* button;
        QStringList enabled;
    };
    for (const Case& c :
         {Case{"Option1_1", serial}, Case{"Option1_2", gpib}, Case{"Option1_0", lan}}) {
        f.Click(c.button);
        for (const QString& name : lan + serial + gpib) {
            EXPECT_EQ(f.Find<QWidget>(name)->isEnabled(), c.enabled.contains(name))
                << c.button << " " << name.toStdString();
        }
    }
}

TEST_F(ConnectionPanelTest, LoadIpMustBeAnIpv4AddressOrAHostName) {
    auto* ip = f.Find<QLineEdit>("txtIP");
    f.op.saveAnswer = f.TestPath();
    ip->setText("192.168.16");
    f.Click("ConnectOKCommand");
    EXPECT_EQ(f.op.Texts(),
              QStringList{"Load IP \"192.168.16\" is neither an IPv4 address nor a host name."});
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_EQ(f.op.saveDialogs, 0);

    ip->setText("load-3.lab");
    f.Click("ConnectOKCommand");
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_EQ(Stored("IP"), "load-3.lab");

    // An address left over in the LAN box does not hold up another medium.
    f.Click("ConnectCommand");
    f.Click("Option1_2");
    ip->setText("not an address");
    f.Click("ConnectOKCommand");
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_EQ(f.op.messages.size(), 1);
}
