#include <gtest/gtest.h>

#include <QGroupBox>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTcpServer>
#include <cmath>

#include "IniFile.h"
#include "QStringPrinting.h"
#include "Station.h"
#include "StatusGridModel.h"
#include "WindowFixture.h"

namespace {
// The contrast ratio of two colours as the accessibility guidelines define
// it: 1 (none) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const QList<WindowFixture::Step> kOneRest = {
    {"Suspend", "", "", "1", "0", "", "", "0.5", "NextStep"}};
}  // namespace

TEST(WindowConnectionError, LoadThatRefusesGivesOneReadableMessageNamingAddressAndReason) {
    WindowFixture f;
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    const QString address = "127.0.0.1:" + QString::number(port);
    closed.close();
    f.WriteSettings("[TRIO]\r\nConnectMode=2\r\n");
    f.WriteTest(kOneRest);
    WriteSetting(f.TestPath(), "Load1 Option", "IP", "127.0.0.1");
    WriteSetting(f.TestPath(), "Load1 Option", "Port", QString::number(port));
    f.StartUp();
    QSignalSpy statusLine(f.window->statusBar(), &QStatusBar::messageChanged);

    auto* frame = f.Find<QGroupBox>("Frame2");
    QString caption;
    QColor captionColour;
    QColor frameColour;
    f.op.onMessage = [&](const QString&) {
        caption = frame->title();
        captionColour = frame->palette().color(QPalette::WindowText);
        frameColour = frame->palette().color(QPalette::Window);
    };
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([&f] { return !f.op.messages.isEmpty(); }));
    ASSERT_TRUE(f.WaitFor([&f] { return !f.station->State().Running; }));

    EXPECT_EQ(f.op.Texts(), QStringList{"Electronic Load Connect Error, Please check it.\n"
                                        "Channel 1, LAN " +
                                        address + ": connection refused"});
    // While the message is up: the caption says so, readably, on a frame that
    // never turned the running colour.
    EXPECT_EQ(caption, "Channel - 1 - Load Error");
    EXPECT_NE(frameColour, QColor(255, 128, 0));
    EXPECT_GE(Contrast(captionColour, frameColour), 4.5)
        << captionColour.name().toStdString() << " on " << frameColour.name().toStdString();
    // The status line said where it was connecting, and let go of it after.
    ASSERT_GE(statusLine.size(), 2);
    EXPECT_EQ(statusLine.first()[0].toString(), "Connecting to " + address + "...");
    EXPECT_EQ(statusLine.last()[0].toString(), "");
}

TEST(WindowConnectionError, ConnectOkIsReadableOnTheGrid) {
    WindowFixture f;
    f.WriteSettings("[TRIO]\r\nConnectMode=2\r\n");
    f.WriteTest(kOneRest);
    f.UseSimulatedLoad();
    f.StartUp();
    f.Click("StartCommand");
    ASSERT_TRUE(f.WaitFor([&f] { return f.op.Texts().contains("Test Finished"); }, 20000));

    auto* grid = f.Find<QTableView>("LoadStatusGrid");
    const QModelIndex status = grid->model()->index(0, StatusGridModel::kStatusColumn);
    ASSERT_EQ(status.data().toString(), "Connect OK");
    const QColor text = QColor::fromRgb(status.data(StatusGridModel::kTextRgbRole).toInt());
    EXPECT_GE(Contrast(text, Qt::white), 4.5) << text.name().toStdString();
    EXPECT_GE(Contrast(text, grid->palette().color(QPalette::Base)), 4.5);
}
