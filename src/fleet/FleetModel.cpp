#include "FleetModel.h"

#include <QColor>
#include <QFileInfo>

namespace {
QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString Ago(const QDateTime& then, const QDateTime& now) {
    if (!then.isValid()) {
        return QString();
    }
    const qint64 seconds = qMax<qint64>(0, then.secsTo(now));
    if (seconds < 60) {
        return QStringLiteral("%1 s ago").arg(seconds);
    }
    if (seconds < 3600) {
        return QStringLiteral("%1 min ago").arg(seconds / 60);
    }
    return then.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

bool Running(const QString& state) {
    return state == QLatin1String("running") || state == QLatin1String("paused") ||
           state == QLatin1String("connecting");
}
}  // namespace

FleetModel::FleetModel(QObject* parent) : QAbstractTableModel(parent) {}

int FleetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.size();
}

int FleetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FleetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QVariant();
    }
    static const char* const kTitles[kColumnCount] = {
        "Station", "State", "Serial number", "Test file", "Step", "V", "I", "Ah", "Last seen", ""};
    return QString::fromLatin1(kTitles[section]);
}

QColor FleetModel::StateColour(const QString& state) {
    if (state == QLatin1String("running")) {
        return QColor(0, 160, 60);
    }
    if (state == QLatin1String("connecting") || state == QLatin1String("paused")) {
        return QColor(230, 150, 0);
    }
    if (state == QLatin1String("error")) {
        return QColor(210, 0, 0);
    }
    if (state == QLatin1String("finished")) {
        return QColor(0, 90, 200);
    }
    return QColor(120, 120, 120);  // idle, stopped, offline and anything unknown
}

QVariant FleetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return QVariant();
    }
    const Row& row = m_rows[index.row()];
    const StationStatus& s = row.status;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case kStation:
                return s.station.isEmpty() ? row.prefix : s.station;
            case kState:
                return row.stale ? s.state + QStringLiteral(" (stale)") : s.state;
            case kSerial:
                return s.serial;
            case kTestFile:
                return QFileInfo(s.testFile).fileName();
            case kStep:
                return s.step > 0 ? QStringLiteral("%1 %2").arg(s.step).arg(s.action) : QString();
            case kVoltage:
                return Fixed(s.voltage, 3);
            case kCurrent:
                return Fixed(s.current, 3);
            case kAh:
                return Fixed(s.ah, 4);
            case kLastSeen:
                return Ago(row.lastSeen, QDateTime::currentDateTimeUtc());
            default:
                return QVariant();
        }
    }
    if (role == Qt::ForegroundRole) {
        if (index.column() == kState) {
            return row.stale ? QColor(150, 150, 150) : StateColour(s.state);
        }
        return row.stale ? QVariant(QColor(150, 150, 150)) : QVariant();
    }
    if (role == Qt::ToolTipRole) {
        if (index.column() == kStation) {
            return row.prefix;
        }
        if (index.column() == kTestFile) {
            return s.testFile;
        }
        if (index.column() == kState && !s.message.isEmpty()) {
            return s.message;
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() >= kVoltage && index.column() <= kAh) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QVariant();
}

int FleetModel::EnsureRow(const QString& prefix) {
    auto found = m_rowOf.constFind(prefix);
    if (found != m_rowOf.constEnd()) {
        return *found;
    }
    const int row = m_rows.size();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(Row{prefix, StationStatus(), QDateTime(), false, {}});
    m_rowOf.insert(prefix, row);
    endInsertRows();
    emit stationAdded(row);
    return row;
}

void FleetModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

bool FleetModel::CanStopAt(int row) const {
    const Row& r = m_rows[row];
    return r.status.allowRemoteStop && Running(r.status.state) && !r.stale;
}

const QList<MeasuredPoint>& FleetModel::PointsOf(const QString& prefix) const {
    static const QList<MeasuredPoint> kNone;
    const int row = RowOf(prefix);
    return row < 0 ? kNone : m_rows[row].points;
}

void FleetModel::TakeMessage(const QString& topic, const QByteArray& payload, bool retained,
                             const QDateTime& now) {
    const int slash = topic.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) {
        return;
    }
    const QString prefix = topic.left(slash);
    const QString kind = topic.mid(slash + 1);
    if (kind == TelemetryTopic::kStatus) {
        StationStatus status;
        if (!ParseStatus(payload, &status)) {
            return;
        }
        const int row = EnsureRow(prefix);
        Row& r = m_rows[row];
        const bool couldStop = CanStopAt(row);
        // A last will carries only the state; the rest stays as last heard.
        if (status.state == QLatin1String("offline") && status.serial.isEmpty()) {
            r.status.state = status.state;
        } else {
            r.status = status;
        }
        // A retained status may be days old: it tells when the station spoke.
        const QDateTime seen = retained && status.time.isValid() ? status.time : now;
        if (!r.lastSeen.isValid() || seen > r.lastSeen) {
            r.lastSeen = seen;
        }
        r.stale = r.lastSeen.secsTo(now) > kStaleSeconds;
        RowChanged(row);
        if (couldStop != CanStopAt(row)) {
            emit stopOfferChanged(row);
        }
    } else if (kind == TelemetryTopic::kPoint) {
        MeasuredPoint point;
        double ah = 0;
        if (retained || !ParsePoint(payload, &point, &ah)) {
            return;
        }
        const int row = EnsureRow(prefix);
        Row& r = m_rows[row];
        const bool restarted =
            !r.points.isEmpty() && point.lineNumber <= r.points.last().lineNumber;
        if (restarted) {
            r.points.clear();
        }
        r.points.append(point);
        if (r.points.size() > kPointHistory) {
            r.points.removeFirst();
        }
        r.lastSeen = now;
        const bool wasStale = r.stale;
        r.stale = false;
        double voltage = 0;
        double current = 0;
        for (int phase = 0; phase < 3; ++phase) {
            voltage += point.voltage[phase] / 3.0;
            current += point.current[phase];
        }
        r.status.voltage = voltage;
        r.status.current = current;
        r.status.ah = ah;
        RowChanged(row);
        if (wasStale) {
            emit stopOfferChanged(row);
        }
        emit pointArrived(prefix, point, restarted);
    }
}

void FleetModel::RefreshStale(const QDateTime& now) {
    for (int row = 0; row < m_rows.size(); ++row) {
        Row& r = m_rows[row];
        const bool stale = !r.lastSeen.isValid() || r.lastSeen.secsTo(now) > kStaleSeconds;
        if (stale != r.stale) {
            const bool couldStop = CanStopAt(row);
            r.stale = stale;
            if (couldStop != CanStopAt(row)) {
                emit stopOfferChanged(row);
            }
        }
        // "Last seen" counts up every second.
        emit dataChanged(index(row, kState), index(row, kLastSeen));
    }
}
