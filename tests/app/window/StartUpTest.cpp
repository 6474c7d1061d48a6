#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include "Clock.h"
#include "RecordingOperator.h"
#include "RunStatusBar.h"
#include "ShiftedClock.h"
#include "Station.h"
#include "StatusGridModel.h"
#include "WindowFixture.h"

namespace {
QStringList HeaderTexts(const QTableView* view) {
    QStringList texts;
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        texts << view->model()->headerData(c, Qt::Horizontal).toString();
    }
    return texts;
}

QStringList RowTexts(const QTableView* view, int row) {
    QStringList texts;
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        texts << view->model()->index(row, c).data().toString();
    }
    return texts;
}

// The step setup panel's frame shared by RAMP ON and LoadLevel is titled by its form.
bool HasFrameTitled(const QWidget* window, const QString& title) {
    for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        if (frame->title() == title) {
            return true;
        }
    }
    return false;
}
}  // namespace

TEST(WindowStartUp, EmptySettingsFileGivesEmptyPickersLanFormAndDefaultFiles) {
    WindowFixture f;
    f.WriteSettings("");
    f.StartUp();

    EXPECT_EQ(f.window->windowHandle()->title(),
              "TestFile01.INI - ZLD-3300 3-Phase Control Program R1.5");
    EXPECT_EQ(f.Find<QComboBox>("SetStepActionCombo")->count(), 0);
    EXPECT_TRUE(HasFrameTitled(f.window.get(), "Load Level Setup"));
    EXPECT_EQ(f.station->Test().Path(), QDir::toNativeSeparators(f.TestPath()));
    EXPECT_EQ(f.Find<QLineEdit>("SNText")->text(), QDate::currentDate().toString("yyyyMMdd") + "1");
    EXPECT_EQ(f.Find<QGroupBox>("Frame2")->title(), "Channel - 1");
    EXPECT_EQ(f.Find<QLabel>("LoadCountLabel")->text(), "1");

    auto* phases = f.Find<QTableView>("grdPhase3");
    EXPECT_EQ(HeaderTexts(phases), QStringList({"Phase", "Votlage", "Current", "Power"}));
    ASSERT_EQ(phases->model()->rowCount(), 3);
    EXPECT_EQ(RowTexts(phases, 0), QStringList({"A", "0.000", "0.000", "0.000"}));
    EXPECT_EQ(RowTexts(phases, 2), QStringList({"C", "0.000", "0.000", "0.000"}));
    // Column widths keep the ratios 960 : 1250 : 1250 : 1100 at any width.
    for (int width : {300, 700}) {
        phases->setFixedWidth(width);
        QCoreApplication::processEvents();
        const double unit = phases->columnWidth(1) / 1250.0;
        EXPECT_NEAR(phases->columnWidth(0), 960 * unit, 2) << width;
        EXPECT_NEAR(phases->columnWidth(2), 1250 * unit, 2) << width;
        EXPECT_NEAR(phases->columnWidth(3), 1100 * unit, 2) << width;
    }

    // A fresh installation shows the factory address and waits for Start.
    const auto* status = f.Find<QTableView>("LoadStatusGrid");
    EXPECT_EQ(HeaderTexts(status), QStringList({"No", "TCPIP", "Status"}));
    EXPECT_EQ(RowTexts(status, 0), QStringList({"1", "192.168.16.128:4001", "Wait"}));
    EXPECT_EQ(f.window->RunStatus().LoadPlaceText(), "Load on LAN 192.168.16.128:4001");
    EXPECT_EQ(f.Find<QTableView>("PowerMeterStatusGrid")->model()->rowCount(), 0);

    for (const char* box : {"VoltageText", "CurrentText", "PowerText", "ResText"}) {
        EXPECT_EQ(f.Find<QLineEdit>(box)->text(), "0.0000") << box;
    }
    EXPECT_TRUE(f.Find<QLineEdit>("AHText")->isVisible());
    EXPECT_EQ(f.Find<QLineEdit>("KWHText")->text(), "0.00000000");
    EXPECT_FALSE(f.Find<QWidget>("StopCommand")->isEnabled());
    EXPECT_TRUE(f.Find<QWidget>("StartCommand")->isEnabled());
}

TEST(WindowStartUp, ConnectModeOneNamesGpibInTheStatusGridAndKeepsTheRampForm) {
    WindowFixture f;
    f.WriteSettings(
        "[TRIO]\r\nConnectMode=1\r\n[TRIO Mode]\r\nTotal=2\r\n001=DisCharge\r\n"
        "002=RAMP ON\r\n");
    f.StartUp();

    EXPECT_EQ(HeaderTexts(f.Find<QTableView>("LoadStatusGrid")),
              QStringList({"No", "GPIB", "Status"}));
    EXPECT_EQ(f.Find<QComboBox>("SetStepActionCombo")->count(), 2);
    EXPECT_TRUE(HasFrameTitled(f.window.get(), "RAMP ON Setup"));
}

TEST(WindowStartUp, ClockAndSerialNumberUseLeadingZeros) {
    ShiftedClock clock(QDateTime(QDate(2026, 12, 7), QTime(7, 9, 5)));
    WindowFixture f(&clock);
    f.WriteSettings("");
    f.StartUp();

    // Start-up took about half a second of the clock's time.
    EXPECT_TRUE(QRegularExpression("^2026/12/07 07:09:0[5-9]$")
                    .match(f.Find<QLabel>("TimeText")->text())
                    .hasMatch())
        << f.Find<QLabel>("TimeText")->text().toStdString();
    EXPECT_EQ(f.Find<QLineEdit>("SNText")->text(), "202612071");
    EXPECT_TRUE(f.station->Views().Get(Displays::LogFilePath).endsWith("202612071.CSV"));
}

TEST(WindowStartUp, MeasurementChecksVoltageCurrentPowerCannotBeCleared) {
    WindowFixture f;
    f.WriteSettings("");
    f.WriteTest({});
    f.StartUp();

    auto* current = f.Find<QCheckBox>("Check2");
    ASSERT_TRUE(current->isChecked());
    QTest::mouseClick(current, Qt::LeftButton);
    EXPECT_TRUE(current->isChecked());
    EXPECT_EQ(f.station->Test().Options().measureCurrent, 1);

    // The hidden ones keep whatever the test file says.
    EXPECT_FALSE(f.Find<QCheckBox>("Check4")->isVisible());
    EXPECT_FALSE(f.Find<QCheckBox>("Check7")->isVisible());
    EXPECT_EQ(f.Find<QCheckBox>("Check7")->isChecked(),
              f.station->Test().Options().measureResistant == 1);
}

TEST(WindowStartUp, SerialNumberTypedByTheOperatorReachesTheEngine) {
    WindowFixture f;
    f.WriteSettings("");
    f.StartUp();

    auto* serial = f.Find<QLineEdit>("SNText");
    serial->clear();
    QTest::keyClicks(serial, "PACK-0042");
    EXPECT_EQ(f.station->Views().Get(Displays::SerialNumber), "PACK-0042");
}

TEST(WindowStartUp, SizeRememberedOnALargerScreenIsFittedToThisOne) {
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        QWidget larger;
        larger.setGeometry(
            QRect(available.topLeft() + QPoint(200, 100), available.size() + QSize(600, 400)));
        QSettings().setValue("MainWindow/geometry", larger.saveGeometry());
    }

    QTemporaryDir home;
    RecordingOperator op;
    Station station(op, SystemClock::Instance(), home.path());
    WindowOptions options;
    options.keepAwake = false;
    MainWindow window(station, op, options);
    EXPECT_TRUE(available.contains(window.geometry()))
        << window.geometry().width() << "x" << window.geometry().height() << " at "
        << window.geometry().x() << "," << window.geometry().y();
}
