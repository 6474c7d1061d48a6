#include "StationTelemetry.h"

#include <QFile>
#include <QSysInfo>

#include "Displays.h"
#include "Operator.h"
#include "PointLog.h"
#include "RunControl.h"
#include "Station.h"
#include "StepTable.h"
#include "TelemetryPayloads.h"
#include "TestFile.h"

namespace {
constexpr int kStatusTickMs = 1000;
// While idle a status goes out now and then, so the fleet view can tell a
// quiet station from a vanished one.
constexpr int kIdleStatusMs = 5000;
// Step entries closer together than this (loops of steps that take no
// time) share one status message.
constexpr int kStepStatusGapMs = 100;
constexpr qint64 kMaxResultsBytes = 16 * 1024 * 1024;

QString OutcomeState(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Finished:
            return QStringLiteral("finished");
        case RunOutcome::Stopped:
            return QStringLiteral("stopped");
        case RunOutcome::NoLoad:
        case RunOutcome::Error:
            return QStringLiteral("error");
        case RunOutcome::NotStarted:
        case RunOutcome::CheckFailed:
            break;  // no run went: the station is idle
    }
    return QString();
}
}  // namespace

StationTelemetry::StationTelemetry(Station& station, TelemetrySettings settings, QObject* parent)
    : QObject(parent), m_station(station), m_settings(std::move(settings)) {
    m_stationName = m_settings.topic.section(QLatin1Char('/'), -1);
    m_statusTimer.setInterval(kStatusTickMs);
    connect(&m_statusTimer, &QTimer::timeout, this, [this] {
        RefreshState(false);
        ShowState();
    });
    m_stepStatusTimer.setSingleShot(true);
    connect(&m_stepStatusTimer, &QTimer::timeout, this, &StationTelemetry::PublishStatus);

    RunControl& control = station.Control();
    connect(&control, &RunControl::runStarted, this, &StationTelemetry::OnRunStarted);
    connect(&control, &RunControl::stepEntered, this, &StationTelemetry::OnStepEntered);
    connect(&control, &RunControl::runEnded, this, &StationTelemetry::OnRunEnded);
    connect(&control, &RunControl::pointLogged, this, &StationTelemetry::OnPointLogged);
    connect(&station, &Station::operatorMessage, this, &StationTelemetry::OnOperatorMessage);
    // Pause and resume show in the run buttons before anything else.
    connect(&station.Views(), &Displays::enabledChanged, this, [this] { RefreshState(false); });
}

StationTelemetry::~StationTelemetry() {
    if (m_client) {
        m_client->Stop();
    }
}

QString StationTelemetry::Topic(const QString& leaf) const {
    return m_settings.topic + QLatin1Char('/') + leaf;
}

bool StationTelemetry::Start(QString* error) {
    MqttClient::Options options;
    options.host = m_settings.host;
    options.port = m_settings.port;
    options.clientId = m_settings.clientId;
    options.username = m_settings.username;
    options.tls = m_settings.tls;
    options.caFile = m_settings.caFile;
    options.queueLimit = m_settings.queueLimit;
    if (!m_settings.passwordFile.isEmpty() &&
        !ReadPasswordFile(m_settings.passwordFile, &options.password, error)) {
        return false;
    }
    options.willTopic = Topic(TelemetryTopic::kStatus);
    StationStatus will;
    will.station = m_stationName;
    will.state = QStringLiteral("offline");
    options.willPayload = StatusPayload(will);
    if (m_settings.allowRemoteStop) {
        // Nothing else is ever subscribed to: the broker has no other way in.
        options.subscriptions = {Topic(TelemetryTopic::kCommand)};
    }
    m_client = std::make_unique<MqttClient>(options);
    connect(m_client.get(), &MqttClient::stateChanged, this, &StationTelemetry::ShowState);
    connect(m_client.get(), &MqttClient::messageReceived, this, &StationTelemetry::OnCommand);
    if (!m_client->Start(error)) {
        m_client.reset();
        return false;
    }
    m_runState = CurrentRunState();
    PublishStatus();
    m_statusTimer.start();
    ShowState();
    return true;
}

void StationTelemetry::Shutdown(int flushMs) {
    if (!m_client) {
        return;
    }
    m_statusTimer.stop();
    m_stepStatusTimer.stop();
    // A station that goes away says so, but the end of its last run stays
    // on the broker for the lab to see.
    if (m_endState.isEmpty() || m_station.State().Running) {
        m_runState = QStringLiteral("offline");
        PublishStatus();
    }
    m_client->Flush(flushMs);
    m_client->Stop();
    ShowState();
}

QString StationTelemetry::CurrentRunState() const {
    const RunState& s = m_station.State();
    if (s.Running) {
        if (s.PauseRequested) {
            return QStringLiteral("paused");
        }
        return m_runState == QLatin1String("connecting") ? m_runState : QStringLiteral("running");
    }
    if (!m_endState.isEmpty()) {
        return m_endState;
    }
    return m_runState == QLatin1String("offline") ? m_runState : QStringLiteral("idle");
}

void StationTelemetry::RefreshState(bool due) {
    if (!m_client) {
        return;
    }
    const QString state = CurrentRunState();
    const bool running = m_station.State().Running;
    const qint64 sinceLast =
        m_lastStatus.isValid() ? m_lastStatus.msecsTo(QDateTime::currentDateTimeUtc()) : 1 << 30;
    if (state != m_runState || due || sinceLast >= (running ? kStatusTickMs : kIdleStatusMs) - 50) {
        m_runState = state;
        PublishStatus();
    }
}

void StationTelemetry::PublishStatus() {
    if (!m_client) {
        return;
    }
    m_stepStatusTimer.stop();
    const Displays& views = m_station.Views();
    const RunState& s = m_station.State();
    const TestDocument& test = m_station.Test();
    StationStatus status;
    status.station = m_stationName;
    status.state = m_runState;
    status.serial = views.Get(Displays::SerialNumber);
    status.testFile = test.Path();
    status.step = m_step;
    if (m_step > 0 && m_step <= test.Table().StepCount()) {
        status.action = test.Table().Cell(m_step, StepColumn::ActionMode);
        status.mode = test.Table().Cell(m_step, StepColumn::Mode);
    }
    status.loop1 = views.Get(Displays::Loop1Count);
    status.loop2 = views.Get(Displays::Loop2Count);
    status.stepElapsed = views.StepElapsed();
    status.stepDwell = views.StepDwell();
    status.voltage = views.Value(Displays::Voltage);
    status.current = views.Value(Displays::Current);
    status.power = views.Value(Displays::Power);
    // Ah and kWh count per step; the boxes start again at a step's end, so
    // once the run is over the status keeps what its last point said.
    status.ah = s.Running ? views.Value(Displays::AmpHours) : m_lastAh;
    status.wh = (s.Running ? views.Value(Displays::KilowattHours) : m_lastKwh) * 1000.0;
    status.message = m_lastMessage;
    status.allowRemoteStop = m_settings.allowRemoteStop;
    status.time = QDateTime::currentDateTimeUtc();
    m_lastStatus = status.time;
    m_client->Publish(Topic(TelemetryTopic::kStatus), StatusPayload(status), true);
}

void StationTelemetry::OnRunStarted() {
    m_endState.clear();
    m_step = 0;
    m_lastAh = 0;
    m_lastKwh = 0;
    m_lastMessage.clear();
    m_runState = QStringLiteral("connecting");
    PublishStatus();
}

void StationTelemetry::OnStepEntered(int gridRow) {
    m_step = gridRow;
    if (m_runState == QLatin1String("connecting")) {
        m_runState = QStringLiteral("running");
        PublishStatus();
        return;
    }
    const qint64 sinceLast = m_lastStatus.msecsTo(QDateTime::currentDateTimeUtc());
    if (sinceLast >= kStepStatusGapMs) {
        PublishStatus();
    } else if (!m_stepStatusTimer.isActive()) {
        m_stepStatusTimer.start(static_cast<int>(kStepStatusGapMs - sinceLast));
    }
}

void StationTelemetry::OnPointLogged(const MeasuredPoint& point) {
    if (!m_client) {
        return;
    }
    if (m_runState == QLatin1String("connecting")) {
        m_runState = QStringLiteral("running");
        PublishStatus();
    }
    const Displays& views = m_station.Views();
    m_lastAh = views.Value(Displays::AmpHours);
    m_lastKwh = views.Value(Displays::KilowattHours);
    m_client->Publish(Topic(TelemetryTopic::kPoint),
                      PointPayload(point, m_lastAh, m_lastKwh, views.Get(Displays::SerialNumber)),
                      false);
}

void StationTelemetry::OnRunEnded(RunOutcome outcome) {
    const QString state = OutcomeState(outcome);
    m_endState = state;
    m_runState = CurrentRunState();
    PublishStatus();
    ShowState();
}

void StationTelemetry::OnOperatorMessage(const QString& text, const QString& title) {
    m_lastMessage = title.isEmpty() ? text : title + QStringLiteral(": ") + text;
    if (!m_client) {
        return;
    }
    m_client->Publish(Topic(TelemetryTopic::kEvent),
                      EventPayload(text, title, QDateTime::currentDateTimeUtc()), false);
    // The status carries the message too: a message box may hold the station
    // until someone answers it, and the lab should see why meanwhile.
    PublishStatus();
}

void StationTelemetry::PublishResultsFile(const QString& path) {
    if (!m_client) {
        return;
    }
    QFile file(path);
    if (file.size() > kMaxResultsBytes || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    m_client->Publish(Topic(TelemetryTopic::kResults), file.readAll(), true);
}

void StationTelemetry::OnCommand(const QString& topic, const QByteArray& payload, bool retained) {
    // A retained "stop" would stop every run at its start; a command counts
    // only when it is sent while the station listens.
    if (!m_settings.allowRemoteStop || retained || topic != Topic(TelemetryTopic::kCommand) ||
        payload != kRemoteStopCommand || !m_station.State().Running) {
        return;
    }
    m_lastMessage = QStringLiteral("Stopped from the lab network");
    m_client->Publish(Topic(TelemetryTopic::kEvent),
                      EventPayload(m_lastMessage, QString(), QDateTime::currentDateTimeUtc()),
                      false);
    m_station.Stop();
}

QString StationTelemetry::StateText() const {
    if (!m_client) {
        return m_settings.Enabled() ? QStringLiteral("Telemetry: off (not started)")
                                    : QStringLiteral("Telemetry: off");
    }
    const MqttClient::State state = m_client->CurrentState();
    const MqttClient::Counters counters = m_client->Stats();
    QString text =
        QStringLiteral("Telemetry: %1 %2").arg(::StateText(state), m_client->BrokerText());
    if (state != MqttClient::State::Connected && !m_client->LastError().isEmpty()) {
        text += QStringLiteral(" (%1)").arg(m_client->LastError());
    }
    const int waiting = counters.waiting + counters.inFlight;
    if (state != MqttClient::State::Connected && waiting > 0) {
        text += QStringLiteral(", %1 waiting").arg(waiting);
    }
    if (counters.dropped > 0) {
        text += QStringLiteral(", %1 dropped").arg(counters.dropped);
    }
    return text;
}

void StationTelemetry::ShowState() {
    const QString text = StateText();
    if (text != m_shownState) {
        m_shownState = text;
        emit stateTextChanged(text);
    }
}

std::unique_ptr<StationTelemetry> StartStationTelemetry(Station& station, Operator& op,
                                                        const QString& publishUrl) {
    QStringList problems;
    TelemetrySettings settings = ReadTelemetrySettings(station.Settings().settingsPath,
                                                       QSysInfo::machineHostName(), &problems);
    QString error;
    if (!publishUrl.isNull() && !ApplyPublishUrl(publishUrl, &settings, &error)) {
        problems << error;
        settings.host.clear();
    }
    for (const QString& problem : problems) {
        op.ShowMessage(problem);
    }
    if (!settings.Enabled()) {
        return nullptr;
    }
    auto telemetry = std::make_unique<StationTelemetry>(station, settings);
    if (!telemetry->Start(&error)) {
        op.ShowMessage(QStringLiteral("Telemetry: %1. Telemetry is off.").arg(error));
        return nullptr;
    }
    return telemetry;
}
