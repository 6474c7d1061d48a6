#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "MqttClient.h"
#include "TelemetrySettings.h"

class Operator;
class Station;
struct MeasuredPoint;
enum class RunOutcome;

// Publishes a station's run to the lab's MQTT broker: a retained status on
// every state change and step entry and once a second while a run goes, a
// point per log line, an event per operator message, the results of a run
// when it ends. It only listens to the run; a broker that is slow or gone
// costs nothing but telemetry. With AllowRemoteStop=1 the one message "stop"
// on <prefix>/command stops the run as the Stop button does; the broker can
// do nothing else to the station.
class StationTelemetry : public QObject {
    Q_OBJECT

  public:
    StationTelemetry(Station& station, TelemetrySettings settings, QObject* parent = nullptr);
    ~StationTelemetry() override;

    // Connects in the background. Returns false with the reason when the
    // settings cannot be used (a password file that cannot be read, a CA file
    // the library refuses); the station then runs without telemetry.
    bool Start(QString* error);
    // The station goes away: a last status, what waits goes out for at most
    // `flushMs` while the broker is there, then a clean disconnect.
    void Shutdown(int flushMs);

    // Publishes the results file of the run that ended (retained).
    void PublishResultsFile(const QString& path);

    // One line for the window's status bar or the runner's terminal.
    QString StateText() const;
    const TelemetrySettings& Settings() const { return m_settings; }
    MqttClient* Client() const { return m_client.get(); }
    // The state the status message says (idle, connecting, running, ...).
    QString RunStateText() const { return m_runState; }

    // The engine's hooks; the station's signals are connected to them.
    void OnRunStarted();
    void OnStepEntered(int gridRow);
    void OnPointLogged(const MeasuredPoint& point);
    void OnRunEnded(RunOutcome outcome);
    void OnOperatorMessage(const QString& text, const QString& title);

  signals:
    void stateTextChanged(const QString& text);

  private:
    QString Topic(const QString& leaf) const;
    void PublishStatus();
    // Publishes the status when the run's state changed, or when `due`.
    void RefreshState(bool due);
    QString CurrentRunState() const;
    void OnCommand(const QString& topic, const QByteArray& payload, bool retained);
    void ShowState();

    Station& m_station;
    const TelemetrySettings m_settings;
    std::unique_ptr<MqttClient> m_client;
    QString m_stationName;
    QString m_runState = QStringLiteral("idle");
    QString m_endState;  // finished, stopped or error once a run ended
    QString m_lastMessage;
    int m_step = 0;  // grid row of the step entered last
    double m_lastAh = 0;
    double m_lastKwh = 0;
    QDateTime m_lastStatus;
    QTimer m_statusTimer;
    QTimer m_stepStatusTimer;
    QString m_shownState;
};

// Reads [Telemetry] of the station's settings file (after its start-up),
// applies `publishUrl` when it is not null, and starts publishing when a
// broker is named. Problems reach the operator; the station then runs
// without telemetry. Returns null when nothing is published.
std::unique_ptr<StationTelemetry> StartStationTelemetry(Station& station, Operator& op,
                                                        const QString& publishUrl = QString());
