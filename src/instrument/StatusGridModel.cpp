#include "StatusGridModel.h"

StatusGridModel::StatusGridModel(QObject* parent)
    : QAbstractTableModel(parent), m_medium(MediumName(2)) {
    SetChannelCount(1);
}

QString StatusGridModel::MediumName(int connectMode) {
    switch (connectMode) {
        case 0:
            return QStringLiteral("RS232");
        case 1:
            return QStringLiteral("GPIB");
        case 2:
            return QStringLiteral("TCPIP");
        default:
            return QString();
    }
}

QString StatusGridModel::StatusText(Status status) {
    switch (status) {
        case kWait:
            return QStringLiteral("Wait");
        case kConnectOk:
            return QStringLiteral("Connect OK");
        case kConnectFail:
            return QStringLiteral("Connect Fail");
        case kNoStatus:
            break;
    }
    return QString();
}

int StatusGridModel::StatusRgb(Status status) {
    switch (status) {
        case kWait:
            return kBlue;
        case kConnectOk:
            return kGreen;
        case kConnectFail:
            return kRed;
        case kNoStatus:
            break;
    }
    return 0;
}

void StatusGridModel::SetMedium(const QString& name) {
    if (name == m_medium) {
        return;
    }
    m_medium = name;
    emit headerDataChanged(Qt::Horizontal, kAddressColumn, kAddressColumn);
}

void StatusGridModel::SetMediumByMode(int connectMode) {
    const QString name = MediumName(connectMode);
    if (!name.isEmpty()) {
        SetMedium(name);
    }
}

void StatusGridModel::SetChannelCount(int count) {
    count = qMax(0, count);
    if (count > m_rows.size()) {
        beginInsertRows(QModelIndex(), m_rows.size(), count - 1);
        while (m_rows.size() < count) {
            m_rows.push_back(Row{QString::number(m_rows.size() + 1), QString(), kNoStatus});
        }
        endInsertRows();
    } else if (count < m_rows.size()) {
        beginRemoveRows(QModelIndex(), count, m_rows.size() - 1);
        m_rows.resize(count);
        endRemoveRows();
    }
}

void StatusGridModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void StatusGridModel::SetAddress(int row, const QString& address) {
    if (ValidRow(row)) {
        m_rows[row].address = address;
        RowChanged(row);
    }
}

void StatusGridModel::SetStatus(int row, Status status) {
    if (ValidRow(row)) {
        m_rows[row].status = status;
        RowChanged(row);
    }
}

void StatusGridModel::ClearRow(int row) {
    if (ValidRow(row)) {
        m_rows[row] = Row{QString::number(row + 1), QString(), kNoStatus};
        RowChanged(row);
    }
}

QString StatusGridModel::Text(int row, int column) const {
    if (!ValidRow(row)) {
        return QString();
    }
    const Row& r = m_rows[row];
    switch (column) {
        case kNumberColumn:
            return r.number;
        case kAddressColumn:
            return r.address;
        case kStatusColumn:
            return StatusText(r.status);
        default:
            return QString();
    }
}

StatusGridModel::Status StatusGridModel::StatusOf(int row) const {
    return ValidRow(row) ? m_rows[row].status : kNoStatus;
}

int StatusGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.size();
}

int StatusGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant StatusGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ValidRow(index.row())) {
        return QVariant();
    }
    switch (role) {
        case Qt::DisplayRole:
            return Text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignCenter);
        case kTextRgbRole:
            if (index.column() == kStatusColumn && m_rows[index.row()].status != kNoStatus) {
                return StatusRgb(m_rows[index.row()].status);
            }
            return QVariant();
        default:
            return QVariant();
    }
}

QVariant StatusGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(Qt::AlignCenter);
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (section) {
        case kNumberColumn:
            return QStringLiteral("No");
        case kAddressColumn:
            return m_medium;
        case kStatusColumn:
            return QStringLiteral("Status");
        default:
            return QVariant();
    }
}
