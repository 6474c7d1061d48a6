#include "Station.h"

#include <QDir>
#include <QFileInfo>

#include "Clock.h"
#include "LoadConnection.h"
#include "Measurement.h"
#include "Operator.h"
#include "OutputProgrammer.h"
#include "PointLog.h"
#include "ReadingGuard.h"
#include "RunChannel.h"
#include "Spinner.h"
#include "StartCheck.h"

namespace {
constexpr int kStartUpDelayMs = 500;
constexpr int kClockIntervalMs = 1000;
}  // namespace

Station::Station(Operator& op, const Clock& clock, const QString& programFolder, QObject* parent)
    : QObject(parent),
      m_tap(op, [this](const QString& text,
                       const QString& title) { emit operatorMessage(text, title); }),
      m_operator(m_tap),
      m_clock(clock) {
    m_settings.programFolder = programFolder;
    m_connection = std::make_unique<LoadConnection>(m_operator, clock);
    m_channel = std::make_unique<RunChannel>(*m_connection, m_state);
    m_measurement = std::make_unique<Measurement>(*m_channel, m_test.Table(), m_phases, m_displays,
                                                  m_state, clock);
    m_outputs = std::make_unique<OutputProgrammer>(
        *m_channel, m_test.Records(), clock, [this] { return m_connection->LoadCount(); },
        [this] { return m_state.Halted(); });
    m_points = std::make_unique<PointLog>(m_test, m_phases, m_state, clock);
    m_guard = std::make_unique<ReadingGuard>(m_state, clock, *m_channel);
    m_context.reset(new RunContext{clock, m_operator, m_settings, m_test, *m_connection, m_displays,
                                   m_phases, m_state, *m_channel, *m_measurement, *m_outputs,
                                   *m_points, *m_guard});
    m_control = std::make_unique<RunControl>(*m_context);
    m_control->SetSaveAs([this] { return SaveTestFileAs(); });
    m_connection->SetActivityHook(
        [this](QChar c) { m_displays.Set(Displays::Activity, QString(c)); });
    QObject::connect(&m_clockTimer, &QTimer::timeout, this, &Station::OnClockTick);
    // A run counts cells of the table down and Stop reloads the file: that is
    // no edit of the operator's.
    QObject::connect(m_control.get(), &RunControl::runStarted, this,
                     [this] { m_test.HoldModified(true); });
    QObject::connect(m_control.get(), &RunControl::runEnded, this,
                     [this] { m_test.HoldModified(false); });
    QObject::connect(
        m_connection.get(), &LoadConnection::loadCountChanged, this,
        [this](int count) { m_displays.Set(Displays::LoadCount, QString::number(count)); });
}

Station::~Station() {
    // The run objects refer to one another; take them down before the models.
    m_control.reset();
}

void Station::BeginClock() {
    m_clockTimer.start(kStartUpDelayMs);
}

void Station::OnClockTick() {
    if (!m_startedUp) {
        m_clockTimer.stop();
        StartUp();
        m_clockTimer.start(kClockIntervalMs);
    }
    ShowDateTime();
}

void Station::ShowDateTime() {
    m_displays.Set(Displays::DateTime,
                   m_clock.Now().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
}

QString Station::ResolveTestPath(const QString& path) const {
    if (path.isEmpty() || QFileInfo(path).isAbsolute()) {
        return path;
    }
    return QDir::toNativeSeparators(QDir(m_settings.programFolder).filePath(path));
}

void Station::StartUp() {
    m_startedUp = true;
    // The step table is laid out by the load; a refused file leaves it as it is.
    m_phases.LayOut();
    QString settingsProblem;
    m_settings = LoadProgramSettings(m_settings.programFolder, &settingsProblem);
    if (!settingsProblem.isEmpty()) {
        m_operator.ShowMessage(settingsProblem);
    }
    m_settings.testFilePath = ResolveTestPath(m_settings.testFilePath);
    m_test.SetPath(m_settings.testFilePath);
    m_points->SetSaveLogFlag(m_settings.saveLogFlag);
    m_connection->LoadConnectionSettings(m_settings.settingsPath, m_settings.testFilePath);
    m_test.LoadTestFile(m_operator);

    QString serial = m_displays.Get(Displays::SerialNumber);
    if (serial.isEmpty()) {
        serial = m_clock.Now().toString(QStringLiteral("yyyyMMdd")) +
                 QString::number(m_settings.channelNumber);
        m_displays.Set(Displays::SerialNumber, serial);
    }
    m_displays.Set(
        Displays::LogFilePath,
        QDir::toNativeSeparators(
            QDir(m_settings.programFolder).filePath(QStringLiteral("TestLog/") + serial + ".CSV")));
    m_displays.Set(Displays::ChannelCaption, ChannelCaptionText(m_settings.channelNumber));
    m_displays.Set(Displays::Activity, kSpinnerIdle);
    m_state.PauseRequested = false;
    m_control->SetEditing(true);
    ShowDateTime();
    emit startedUp();
}

QString Station::DialogPreset() const {
    if (!m_test.Path().isEmpty()) {
        return m_test.Path();
    }
    return QDir::toNativeSeparators(QDir(m_settings.programFolder).filePath("TESTTMP.INI"));
}

void Station::OpenTestFile() {
    const QString path = m_operator.AskOpenFile(kTestFileFilter, DialogPreset());
    if (!path.isEmpty()) {
        OpenTestFile(path);
    }
}

bool Station::OpenTestFile(const QString& path) {
    if (!m_test.OpenTestFile(path, m_operator)) {
        return false;
    }
    m_phases.LayOut();
    QString error;
    if (!m_settings.StoreTestFilePath(path, &error)) {
        m_operator.ShowMessage(QStringLiteral("Cannot remember the test file in %1: %2")
                                   .arg(m_settings.settingsPath, error));
    }
    m_connection->LoadConnectionSettings(m_settings.settingsPath, path);
    emit testFileOpened(path);
    return true;
}

bool Station::SaveTestFileAs() {
    QString path = m_operator.AskSaveFile(kTestFileFilter, DialogPreset());
    if (path.isEmpty()) {
        return false;
    }
    // A name typed without an extension gets the test files' one.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += path.endsWith(QLatin1Char('.')) ? QStringLiteral("INI") : QStringLiteral(".INI");
    }
    return SaveTestFileAs(path);
}

bool Station::SaveTestFileAs(const QString& path) {
    if (!m_test.SaveTestFileAs(path, m_operator)) {
        return false;
    }
    QString error;
    if (!m_settings.StoreTestFilePath(path, &error)) {
        m_operator.ShowMessage(QStringLiteral("Cannot remember the test file in %1: %2")
                                   .arg(m_settings.settingsPath, error));
    }
    if (!m_connection->StoreConnectionSettings(m_settings.settingsPath, path, &error)) {
        m_operator.ShowMessage(
            QStringLiteral("Cannot save the connection settings in %1: %2").arg(path, error));
        return false;
    }
    return true;
}

void Station::NewTest() {
    m_test.NewTest();
    m_phases.LayOut();
}

void Station::ReloadConnectionSettings() {
    // A new test has no file to restore from: the panel keeps what it shows.
    if (m_test.Path().isEmpty()) {
        return;
    }
    m_connection->LoadConnectionSettings(m_settings.settingsPath, m_test.Path());
}

void Station::AcceptConnectionSettings() {
    if (m_test.Path().isEmpty()) {
        // A new test has no file yet: saving it asks where and stores the
        // connection with it.
        if (SaveTestFileAs()) {
            m_settings.medium = m_connection->Records()[m_connection->LoadDevice(0)].medium;
            m_settings.lanMode = m_settings.medium == Medium::Lan;
        }
        return;
    }
    QString error;
    if (!m_connection->StoreConnectionSettings(m_settings.settingsPath, m_test.Path(), &error)) {
        m_operator.ShowMessage(
            QStringLiteral("Cannot save the connection settings: %1").arg(error));
    }
    m_settings.medium = m_connection->Records()[m_connection->LoadDevice(0)].medium;
    m_settings.lanMode = m_settings.medium == Medium::Lan;
    SaveTestFileAs();
}

void Station::ShowCheck() {
    ::ShowCheck(m_test.Table(), m_operator, m_test.Limits());
}

void Station::Shutdown() {
    m_control->Shutdown();
}

bool Station::SetSafetyLimits(const SafetyLimits& limits) {
    return m_test.SaveSafetyLimits(limits, m_operator);
}

QString Station::LogMovedAside() const {
    return m_points->File().MovedAside();
}

bool Station::LoadInputOn() const {
    return m_channel->InputOn();
}

void Station::UseLanLoad(const QString& host, quint16 port) {
    ConnectionPanel& panel = m_connection->Panel();
    panel.medium = Medium::Lan;
    panel.ip = host;
    panel.port = QString::number(port);
    panel.channelEnabled[0] = true;
    ConnectionRecord& record = m_connection->Records()[m_connection->LoadDevice(0)];
    record.medium = Medium::Lan;
    record.ip = host;
    record.port = port;
    m_settings.medium = Medium::Lan;
    m_settings.lanMode = true;
    emit m_connection->panelChanged();
}
