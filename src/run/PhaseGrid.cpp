#include "PhaseGrid.h"

PhaseGrid::PhaseGrid(QObject* parent) : QAbstractTableModel(parent) {
    LayOut();
}

void PhaseGrid::LayOut() {
    beginResetModel();
    // "Votlage" as spelled on screen and in the data log header, whose column
    // titles are these: part of both formats.
    const char* headers[kColumns] = {"Phase", "Votlage", "Current", "Power"};
    const char* phases[kRows] = {"", "A", "B", "C"};
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            CellState& cell = m_cells[r][c];
            cell.grey = false;
            if (r == 0) {
                cell.text = QString::fromLatin1(headers[c]);
            } else if (c == 0) {
                cell.text = QString::fromLatin1(phases[r]);
            } else {
                cell.text = QStringLiteral("0.000");
            }
        }
    }
    endResetModel();
}

QString PhaseGrid::Cell(int gridRow, int column) const {
    return Valid(gridRow, column) ? m_cells[gridRow][column].text : QString();
}

void PhaseGrid::SetCell(int gridRow, int column, const QString& text) {
    if (!Valid(gridRow, column) || m_cells[gridRow][column].text == text) {
        return;
    }
    m_cells[gridRow][column].text = text;
    EmitCellChanged(gridRow, column);
}

bool PhaseGrid::IsGrey(int gridRow, int column) const {
    return Valid(gridRow, column) && m_cells[gridRow][column].grey;
}

void PhaseGrid::SetGrey(int gridRow, int column) {
    if (!Valid(gridRow, column) || m_cells[gridRow][column].grey) {
        return;
    }
    m_cells[gridRow][column].grey = true;
    EmitCellChanged(gridRow, column);
}

void PhaseGrid::EmitCellChanged(int gridRow, int column) {
    if (gridRow == 0) {
        emit headerDataChanged(Qt::Horizontal, column, column);
    } else {
        emit dataChanged(index(gridRow - 1, column), index(gridRow - 1, column));
    }
}

int PhaseGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRows - 1;
}

int PhaseGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant PhaseGrid::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return QVariant();
    }
    const int gridRow = index.row() + 1;
    switch (role) {
        case Qt::DisplayRole:
            return Cell(gridRow, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        case kGreyRole:
            return IsGrey(gridRow, index.column());
        default:
            return QVariant();
    }
}

QVariant PhaseGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return QVariant();
    }
    return Cell(0, section);
}
