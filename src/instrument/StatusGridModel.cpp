#include "StatusGridModel.h"

namespace {
QString MediumName(Medium medium) {
    switch (medium) {
        case Medium::Serial:
            return QStringLiteral("RS232");
        case Medium::Gpib:
            return QStringLiteral("GPIB");
        case Medium::Lan:
            break;
    }
    return QStringLiteral("TCPIP");
}

QString StatusText(StatusGridModel::Status status) {
    switch (status) {
        case StatusGridModel::kWait:
            return QStringLiteral("Wait");
        case StatusGridModel::kConnectOk:
            return QStringLiteral("Connect OK");
        case StatusGridModel::kConnectFail:
            return QStringLiteral("Connect Fail");
        case StatusGridModel::kNoStatus:
            break;
    }
    return QString();
}

int StatusRgb(StatusGridModel::Status status) {
    switch (status) {
        case StatusGridModel::kWait:
            return StatusGridModel::kBlue;
        case StatusGridModel::kConnectOk:
            return StatusGridModel::kGreen;
        case StatusGridModel::kConnectFail:
            return StatusGridModel::kRed;
        case StatusGridModel::kNoStatus:
            break;
    }
    return 0;
}

QString ChannelAddress(const ConnectionRecord& record, bool withPort) {
    switch (record.medium) {
        case Medium::Serial:
            return QString::number(record.comPort);
        case Medium::Gpib:
            return QString::number(record.gpibAddress);
        case Medium::Lan:
            break;
    }
    return withPort ? QStringLiteral("%1:%2").arg(record.ip).arg(record.port) : record.ip;
}
}  // namespace

StatusGridModel::StatusGridModel(QObject* parent)
    : QAbstractTableModel(parent), m_medium(MediumName(Medium::Lan)) {
    SetChannelCount(1);
}

void StatusGridModel::ShowMedium(Medium medium) {
    const QString name = MediumName(medium);
    if (name == m_medium) {
        return;
    }
    m_medium = name;
    emit headerDataChanged(Qt::Horizontal, kAddressColumn, kAddressColumn);
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

void StatusGridModel::ShowWaiting(int row, const ConnectionRecord& record, bool withPort) {
    ClearRow(row);
    ShowMedium(record.medium);
    SetAddress(row, ChannelAddress(record, withPort));
    SetStatus(row, kWait);
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
