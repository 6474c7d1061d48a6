#include "StepTable.h"

#include "ActionCatalogue.h"

namespace {
struct ColumnInfo {
    const char* header;
    int widthTwips;
};
constexpr ColumnInfo kColumns[StepColumn::Count] = {
    {"Step", 1000},   {"Action Mode", 2000},   {"Mode", 1400},
    {"Value", 1000},  {"Dwell Time(s)", 2000}, {"Loop Times", 1800},
    {"Stable(s)", 0}, {"StopAH", 0},           {"MeasT(s)", 1500},
    {"Go To", 0},     {"Frequency", 1800},     {"CF", 800},
    {"PF", 800}};
}  // namespace

StepTable::StepTable(QObject* parent) : QAbstractTableModel(parent) {
    m_rows.resize(1);
}

QString StepTable::HeaderText(int column) {
    if (column < 0 || column >= StepColumn::Count) {
        return QString();
    }
    return QString::fromLatin1(kColumns[column].header);
}

int StepTable::ColumnWidthTwips(int column) {
    if (column < 0 || column >= StepColumn::Count) {
        return 0;
    }
    return kColumns[column].widthTwips;
}

QString StepTable::Cell(int gridRow, int column) const {
    if (column < 0 || column >= StepColumn::Count) {
        return QString();
    }
    if (gridRow == 0) {
        return HeaderText(column);
    }
    if (!IsDataRow(gridRow)) {
        return QString();
    }
    if (column == StepColumn::Step) {
        return QString::number(gridRow);
    }
    return m_rows[gridRow - 1].cells[column - 1];
}

void StepTable::SetCell(int gridRow, int column, const QString& text) {
    if (!IsDataRow(gridRow) || column < 1 || column >= StepColumn::Count) {
        return;
    }
    QString& cell = m_rows[gridRow - 1].cells[column - 1];
    if (cell == text) {
        return;
    }
    cell = text;
    EmitRowChanged(gridRow, column, column);
}

StepTable::Cells StepTable::StepCells(int gridRow) const {
    return IsDataRow(gridRow) ? m_rows[gridRow - 1].cells : Cells{};
}

void StepTable::SetStepCells(int gridRow, const Cells& cells) {
    if (!IsDataRow(gridRow)) {
        return;
    }
    m_rows[gridRow - 1].cells = cells;
    EmitRowChanged(gridRow, 1, StepColumn::Count - 1);
}

void StepTable::LayOut() {
    beginResetModel();
    m_rows.clear();
    m_rows.resize(1);
    endResetModel();
    SetCurrentRow(1);
}

void StepTable::ReplaceAll(const QVector<Cells>& steps) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(steps.size());
    for (const Cells& cells : steps) {
        m_rows.push_back(Row{cells, false});
    }
    endResetModel();
    SetCurrentRow(m_rows.isEmpty() ? 0 : 1);
}

void StepTable::SetStepCount(int steps) {
    steps = qMax(0, steps);
    if (steps > m_rows.size()) {
        beginInsertRows(QModelIndex(), m_rows.size(), steps - 1);
        m_rows.resize(steps);
        endInsertRows();
    } else if (steps < m_rows.size()) {
        beginRemoveRows(QModelIndex(), steps, m_rows.size() - 1);
        m_rows.resize(steps);
        endRemoveRows();
    }
    if (m_currentRow > steps) {
        SetCurrentRow(steps);
    }
}

void StepTable::InsertStep(int gridRow) {
    if (gridRow < 1 || gridRow > GridRowCount()) {
        return;
    }
    beginInsertRows(QModelIndex(), gridRow - 1, gridRow - 1);
    m_rows.insert(gridRow - 1, Row{});
    endInsertRows();
    // Step numbers below the new row change.
    if (gridRow < m_rows.size()) {
        emit dataChanged(index(gridRow, StepColumn::Step),
                         index(m_rows.size() - 1, StepColumn::Step));
    }
}

void StepTable::RemoveStep(int gridRow) {
    if (!IsDataRow(gridRow)) {
        return;
    }
    beginRemoveRows(QModelIndex(), gridRow - 1, gridRow - 1);
    m_rows.remove(gridRow - 1);
    endRemoveRows();
    if (gridRow - 1 < m_rows.size()) {
        emit dataChanged(index(gridRow - 1, StepColumn::Step),
                         index(m_rows.size() - 1, StepColumn::Step));
    }
    if (m_currentRow > m_rows.size()) {
        SetCurrentRow(m_rows.size());
    }
}

void StepTable::SwapSteps(int gridRowA, int gridRowB) {
    if (!IsDataRow(gridRowA) || !IsDataRow(gridRowB) || gridRowA == gridRowB) {
        return;
    }
    std::swap(m_rows[gridRowA - 1].cells, m_rows[gridRowB - 1].cells);
    EmitRowChanged(gridRowA, 1, StepColumn::Count - 1);
    EmitRowChanged(gridRowB, 1, StepColumn::Count - 1);
}

QVector<StepTable::Cells> StepTable::AllSteps() const {
    QVector<Cells> steps;
    steps.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        steps.push_back(row.cells);
    }
    return steps;
}

void StepTable::ReplaceSteps(int gridRow, int removeCount, const QVector<Cells>& steps) {
    const int first = gridRow - 1;
    if (first < 0 || removeCount < 0 || first + removeCount > m_rows.size()) {
        return;
    }
    const int kept = qMin(removeCount, static_cast<int>(steps.size()));
    for (int i = 0; i < kept; ++i) {
        m_rows[first + i].cells = steps[i];
    }
    if (kept > 0) {
        emit dataChanged(index(first, 1), index(first + kept - 1, StepColumn::Count - 1));
    }
    const int sizeBefore = m_rows.size();
    if (removeCount > kept) {
        beginRemoveRows(QModelIndex(), first + kept, first + removeCount - 1);
        m_rows.remove(first + kept, removeCount - kept);
        endRemoveRows();
    } else if (steps.size() > kept) {
        beginInsertRows(QModelIndex(), first + kept, first + steps.size() - 1);
        for (int i = kept; i < steps.size(); ++i) {
            m_rows.insert(first + i, Row{steps[i], false});
        }
        endInsertRows();
    }
    // Step numbers below a changed row count change.
    if (m_rows.size() != sizeBefore && first + kept < m_rows.size()) {
        emit dataChanged(index(first + kept, StepColumn::Step),
                         index(m_rows.size() - 1, StepColumn::Step));
    }
    if (m_currentRow > m_rows.size()) {
        SetCurrentRow(m_rows.size());
    }
}

bool StepTable::IsHighlighted(int gridRow) const {
    return IsDataRow(gridRow) && m_rows[gridRow - 1].highlighted;
}

void StepTable::SetHighlighted(int gridRow, bool highlighted) {
    if (!IsDataRow(gridRow) || m_rows[gridRow - 1].highlighted == highlighted) {
        return;
    }
    m_rows[gridRow - 1].highlighted = highlighted;
    EmitRowChanged(gridRow, 1, StepColumn::Count - 1);
}

void StepTable::ClearHighlights() {
    for (int r = 1; r <= m_rows.size(); ++r) {
        SetHighlighted(r, false);
    }
}

void StepTable::SetCurrentRow(int gridRow) {
    gridRow = qBound(0, gridRow, m_rows.size());
    if (gridRow == m_currentRow) {
        return;
    }
    m_currentRow = gridRow;
    emit currentRowChanged(gridRow);
}

void StepTable::EmitRowChanged(int gridRow, int firstColumn, int lastColumn) {
    emit dataChanged(index(gridRow - 1, firstColumn), index(gridRow - 1, lastColumn));
}

int StepTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.size();
}

int StepTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : StepColumn::Count;
}

QVariant StepTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) {
        return QVariant();
    }
    const int gridRow = index.row() + 1;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return Cell(gridRow, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        case kHighlightRole:
            return index.column() != StepColumn::Step && m_rows[index.row()].highlighted;
        case Qt::ToolTipRole:
            return ColumnMeanings::CellToolTip(Cell(gridRow, StepColumn::ActionMode),
                                               index.column(), Cell(gridRow, StepColumn::Mode));
        default:
            return QVariant();
    }
}

QVariant StepTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal) {
        return ColumnMeanings::HeaderToolTip(section);
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    if (orientation == Qt::Horizontal) {
        return HeaderText(section);
    }
    return QString::number(section + 1);
}

bool StepTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() == StepColumn::Step) {
        return false;
    }
    SetCell(index.row() + 1, index.column(), value.toString());
    return true;
}

Qt::ItemFlags StepTable::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() != StepColumn::Step) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}
