#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>

// The per-phase measurement grid: a header row ("Phase", "Votlage",
// "Current", "Power") and one row per phase A, B, C. Cells hold the last
// reading as the load sent it, or "Err"; some are greyed when a reply lacked
// a phase. Grid rows count from the header (row 0); as a Qt model the header
// row is the horizontal header.
class PhaseGrid : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kRows = 4;     // header + three phases
    static constexpr int kColumns = 4;  // phase name + three quantities
    // Data role: true when the cell shows the system's grey text colour.
    static constexpr int kGreyRole = Qt::UserRole + 1;

    explicit PhaseGrid(QObject* parent = nullptr);

    // Header texts, phase names and "0.000" in every reading; no grey cells.
    void LayOut();
    QString Cell(int gridRow, int column) const;
    void SetCell(int gridRow, int column, const QString& text);
    bool IsGrey(int gridRow, int column) const;
    void SetGrey(int gridRow, int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct CellState {
        QString text;
        bool grey = false;
    };
    bool Valid(int gridRow, int column) const {
        return gridRow >= 0 && gridRow < kRows && column >= 0 && column < kColumns;
    }
    void EmitCellChanged(int gridRow, int column);

    std::array<std::array<CellState, kColumns>, kRows> m_cells;
};
