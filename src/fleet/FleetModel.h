#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QVector>

#include "PointLog.h"
#include "TelemetryPayloads.h"

// Every station seen on the broker, one row each, from the stations' status
// messages (the retained one first) and their measurement points. A station
// that has said nothing for kStaleSeconds is marked stale.
class FleetModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column : int {
        kStation,
        kState,
        kSerial,
        kTestFile,
        kStep,
        kVoltage,
        kCurrent,
        kAh,
        kLastSeen,
        kStop,
        kColumnCount
    };
    static constexpr int kStaleSeconds = 10;
    // Points kept per station for a chart opened during a run.
    static constexpr int kPointHistory = 3600;

    explicit FleetModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A message under the subscription: "<prefix>/status" and "<prefix>/point"
    // are taken, anything else is ignored. `now` is when it arrived.
    void TakeMessage(const QString& topic, const QByteArray& payload, bool retained,
                     const QDateTime& now);
    // Marks rows stale or fresh as of `now`.
    void RefreshStale(const QDateTime& now);

    int RowOf(const QString& prefix) const { return m_rowOf.value(prefix, -1); }
    QString PrefixAt(int row) const { return m_rows[row].prefix; }
    const StationStatus& StatusAt(int row) const { return m_rows[row].status; }
    bool StaleAt(int row) const { return m_rows[row].stale; }
    // Remote stop is offered only where the station allows it and a run goes.
    bool CanStopAt(int row) const;
    const QList<MeasuredPoint>& PointsOf(const QString& prefix) const;

    static QColor StateColour(const QString& state);

  signals:
    // A new point of the station under `prefix`; `restarted` when it begins a
    // new run, so a chart starts over.
    void pointArrived(const QString& prefix, const MeasuredPoint& point, bool restarted);
    void stationAdded(int row);
    void stopOfferChanged(int row);

  private:
    struct Row {
        QString prefix;
        StationStatus status;
        QDateTime lastSeen;
        bool stale = false;
        QList<MeasuredPoint> points;
    };

    int EnsureRow(const QString& prefix);
    void RowChanged(int row);

    QVector<Row> m_rows;
    QHash<QString, int> m_rowOf;
};
