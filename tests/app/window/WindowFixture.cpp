#include "WindowFixture.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <stdexcept>

#include "Clock.h"
#include "IniFile.h"
#include "LanTransport.h"
#include "LoadConnection.h"
#include "Station.h"
#include "StepRecord.h"
#include "TestFiles.h"

WindowFixture::WindowFixture(const Clock* clock, Operator* dialogs) {
    if (!home.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    Operator& answers = dialogs != nullptr ? *dialogs : op;
    station =
        std::make_unique<Station>(answers, clock ? *clock : SystemClock::Instance(), home.path());
    WindowOptions options;
    options.keepAwake = false;
    options.rememberGeometry = false;
    window = std::make_unique<MainWindow>(*station, answers, options);
}

WindowFixture::~WindowFixture() {
    window.reset();
    station.reset();
    sim.reset();
}

void WindowFixture::WriteSettings(const QString& text) {
    WriteFileBytes(SettingsPath(), text.toUtf8());
}

void WindowFixture::WriteTest(const QList<Step>& steps) {
    IniFile test;
    test.SetValue("TestStep Option", "MeasureTime", "0.01");
    test.SetValue("TestStep Option", "TotalStepCount", QString::number(steps.size()));
    for (int i = 0; i < steps.size(); ++i) {
        for (int f = 0; f < kStepFieldCount; ++f) {
            test.SetValue(QStringLiteral("Step%1").arg(i + 1), StepFieldKeys()[f],
                          f < steps[i].size() ? steps[i][f] : QString());
        }
    }
    if (!test.Save(TestPath())) {
        throw std::runtime_error("cannot write the test file");
    }
}

void WindowFixture::StartUp() {
    window->show();
    ASSERT_TRUE(WaitFor([this] { return station->StartedUp(); }, 5000));
    // Loopback answers at once; the settle time for real loads would only slow the tests.
    LanTimings quick;
    quick.settleMs = 20;
    quick.connectBudgetMs = 2000;
    quick.readTimeoutMs = 2000;
    station->Connection().SetLanTimings(quick);
}

void WindowFixture::UseSimulatedLoad() {
    sim = std::make_unique<SimulatedLoad>();
    QString error;
    const quint16 port = sim->ListenTcp(0, &error);
    ASSERT_NE(port, 0) << error.toStdString();
    window->UseSessionLoad(QStringLiteral("127.0.0.1"), port);
}

void WindowFixture::Click(const QString& buttonName) const {
    auto* button = Find<QAbstractButton>(buttonName);
    ASSERT_NE(button, nullptr) << buttonName.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

bool WindowFixture::WaitFor(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}
