#include "FleetWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include "FleetModel.h"
#include "MqttClient.h"
#include "StationChartWindow.h"

namespace {
constexpr int kStaleCheckMs = 1000;
constexpr int kNoticeMs = 10000;
}  // namespace

FleetWindow::FleetWindow(MqttClient& client, QWidget* parent)
    : QMainWindow(parent), m_client(client), m_model(new FleetModel(this)) {
    setWindowTitle(QStringLiteral("ZLD-3300 fleet - %1").arg(client.BrokerText()));
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("stationTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(FleetModel::kTestFile, QHeaderView::Stretch);
    setCentralWidget(m_table);
    m_brokerLabel = new QLabel(this);
    statusBar()->addPermanentWidget(m_brokerLabel, 1);
    resize(1100, 420);

    m_confirm = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Stop a run"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };

    connect(&m_client, &MqttClient::messageReceived, m_model,
            [this](const QString& topic, const QByteArray& payload, bool retained) {
                m_model->TakeMessage(topic, payload, retained, QDateTime::currentDateTimeUtc());
            });
    connect(&m_client, &MqttClient::stateChanged, this, &FleetWindow::ShowBrokerState);
    connect(m_model, &FleetModel::stationAdded, this, [this](int row) {
        UpdateStopButton(row);
        ShowBrokerState();
    });
    connect(m_model, &FleetModel::stopOfferChanged, this, &FleetWindow::UpdateStopButton);
    connect(m_table, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenChart(index.row()); });
    auto* staleTimer = new QTimer(this);
    connect(staleTimer, &QTimer::timeout, this, [this] {
        m_model->RefreshStale(QDateTime::currentDateTimeUtc());
        ShowBrokerState();
    });
    staleTimer->start(kStaleCheckMs);
    ShowBrokerState();
}

FleetWindow::~FleetWindow() {
    for (const QPointer<StationChartWindow>& chart : std::as_const(m_charts)) {
        delete chart.data();
    }
}

void FleetWindow::ShowBrokerState() {
    const MqttClient::State state = m_client.CurrentState();
    QString text = QStringLiteral("Broker %1: %2").arg(m_client.BrokerText(), StateText(state));
    if (state != MqttClient::State::Connected && !m_client.LastError().isEmpty()) {
        text += QStringLiteral(" (%1)").arg(m_client.LastError());
    }
    text += QStringLiteral("  |  %1 stations").arg(m_model->rowCount());
    m_brokerLabel->setText(text);
}

void FleetWindow::UpdateStopButton(int row) {
    const QModelIndex index = m_model->index(row, FleetModel::kStop);
    if (!m_model->CanStopAt(row)) {
        m_table->setIndexWidget(index, nullptr);
        return;
    }
    if (m_table->indexWidget(index)) {
        return;
    }
    auto* stop = new QPushButton(QStringLiteral("Stop"));
    stop->setObjectName(QStringLiteral("stop:") + m_model->PrefixAt(row));
    const QString prefix = m_model->PrefixAt(row);
    connect(stop, &QPushButton::clicked, this, [this, prefix] {
        const int current = m_model->RowOf(prefix);
        if (current >= 0) {
            RequestStop(current);
        }
    });
    m_table->setIndexWidget(index, stop);
}

bool FleetWindow::RequestStop(int row) {
    if (!m_model->CanStopAt(row)) {
        return false;
    }
    const QString prefix = m_model->PrefixAt(row);
    const StationStatus& status = m_model->StatusAt(row);
    const QString name = status.station.isEmpty() ? prefix : status.station;
    const QString question =
        QStringLiteral("Stop the run on %1 (serial number %2, step %3)?")
            .arg(name, status.serial.isEmpty() ? QStringLiteral("none") : status.serial)
            .arg(status.step);
    if (!m_confirm(question)) {
        return false;
    }
    // A stop that waited for the broker could reach a later run.
    if (!m_client.PublishIfConnected(prefix + QLatin1Char('/') + TelemetryTopic::kCommand,
                                     kRemoteStopCommand)) {
        statusBar()->showMessage(
            QStringLiteral("The broker is not connected: the stop for %1 was not sent.").arg(name),
            kNoticeMs);
        return false;
    }
    statusBar()->showMessage(QStringLiteral("Stop sent to %1.").arg(name), kNoticeMs);
    return true;
}

StationChartWindow* FleetWindow::OpenChart(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        return nullptr;
    }
    const QString prefix = m_model->PrefixAt(row);
    QPointer<StationChartWindow>& chart = m_charts[prefix];
    if (!chart) {
        const StationStatus& status = m_model->StatusAt(row);
        const QString title = QStringLiteral("%1 - live points")
                                  .arg(status.station.isEmpty() ? prefix : status.station);
        chart = new StationChartWindow(prefix, title, m_model->PointsOf(prefix));
        connect(m_model, &FleetModel::pointArrived, chart.data(), &StationChartWindow::AddPoint);
    }
    chart->show();
    chart->raise();
    chart->activateWindow();
    return chart.data();
}
