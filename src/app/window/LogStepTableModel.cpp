#include "LogStepTableModel.h"

#include "RunTimeTicker.h"

namespace {
struct ColumnText {
    const char* caption;
    const char* tip;
};
constexpr ColumnText kColumnTexts[LogStepTableModel::kColumns] = {
    {"Step", "The step's number in the test file"},
    {"Pass", "1 for the step's first stretch in the log, 2 for the next one, and so on"},
    {"Mode", "The step's load mode (CC, CR, CV, CP, LINCC)"},
    {"Start", "Total time when the step took over (the point before its first)"},
    {"Duration", "Time from its start to its last point"},
    {"Points", "Measurement points it logged"},
    {"Last V", "Mean phase voltage (V) at its last point"},
    {"Ah", "Charge: the current summed over the phases times the time since the point before"},
    {"Wh", "Energy: the power summed over the phases times the time since the point before"},
};
}  // namespace

void LogStepTableModel::Update(const QVector<StepStretch>& stretches) {
    const int shown = m_rows.size();
    if (stretches.size() < shown) {
        beginResetModel();
        m_rows = stretches;
        endResetModel();
        return;
    }
    for (int row = std::max(0, shown - 1); row < shown; ++row) {
        m_rows[row] = stretches[row];
        emit dataChanged(index(row, 0), index(row, kColumns - 1));
    }
    if (stretches.size() > shown) {
        beginInsertRows(QModelIndex(), shown, stretches.size() - 1);
        m_rows += stretches.mid(shown);
        endInsertRows();
    }
}

void LogStepTableModel::Clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int LogStepTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.size();
}

int LogStepTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant LogStepTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return QVariant();
    }
    const StepStretch& stretch = m_rows[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            return Text(stretch, index.column());
        case Qt::TextAlignmentRole:
            return int(index.column() == kMode ? Qt::AlignCenter
                                               : Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ToolTipRole:
            if (index.column() == kStart) {
                return QStringLiteral("Time of day of its first point: %1")
                    .arg(stretch.startTimeOfDay);
            }
            if (index.column() == kPass && !stretch.loop1.isEmpty()) {
                return QStringLiteral("FOR passes left as logged (Loop1): %1").arg(stretch.loop1);
            }
            return QVariant();
        default:
            return QVariant();
    }
}

QVariant LogStepTableModel::Text(const StepStretch& stretch, int column) const {
    switch (column) {
        case kStep:
            return stretch.step;
        case kPass:
            return stretch.pass;
        case kMode:
            return stretch.stepMode;
        case kStart:
            return RunTimeTicker::Label(stretch.start, 0);
        case kDuration:
            return RunTimeTicker::Label(stretch.duration, stretch.duration < 10 ? 1 : 0);
        case kPoints:
            return stretch.points;
        case kLastVoltage:
            return QString::number(stretch.lastVoltage, 'f', 4);
        case kAmpereHours:
            return QString::number(stretch.ampereHours, 'f', 6);
        case kWattHours:
            return QString::number(stretch.wattHours, 'f', 4);
        default:
            return QVariant();
    }
}

QVariant LogStepTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kColumnTexts[section].caption);
    }
    if (role == Qt::ToolTipRole) {
        return QString::fromLatin1(kColumnTexts[section].tip);
    }
    return QVariant();
}
