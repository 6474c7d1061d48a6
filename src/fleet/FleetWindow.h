#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class FleetModel;
class MqttClient;
class QLabel;
class QTableView;
class StationChartWindow;

// The lab at a glance: one row per station seen on the broker, a Stop button
// where the station allows remote stop, and a live chart of a station on
// double-click.
class FleetWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `client` is connected (or connecting) to the broker and subscribed to
    // the stations' topics.
    explicit FleetWindow(MqttClient& client, QWidget* parent = nullptr);
    ~FleetWindow() override;

    // Asks the person before a run is stopped; tests answer for them.
    void SetConfirm(std::function<bool(const QString& question)> confirm) {
        m_confirm = std::move(confirm);
    }

    FleetModel& Model() const { return *m_model; }
    QTableView& Table() const { return *m_table; }
    // Opens (or raises) the live chart of the station in `row`.
    StationChartWindow* OpenChart(int row);
    // Sends "stop" to the station in `row` after asking; false when not sent.
    bool RequestStop(int row);

  private:
    void UpdateStopButton(int row);
    void ShowBrokerState();

    MqttClient& m_client;
    FleetModel* m_model;
    QTableView* m_table;
    QLabel* m_brokerLabel;
    QHash<QString, QPointer<StationChartWindow>> m_charts;
    std::function<bool(const QString&)> m_confirm;
};
