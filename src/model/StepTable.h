#pragma once

#include <QAbstractTableModel>
#include <QVector>
#include <array>

#include "StepRecord.h"

// The step table as the operator sees and edits it. It speaks in grid rows:
// row 0 is the header row, data row r (1 ... StepCount()) holds step r, so
// the grid has StepCount() + 1 rows. Column 0 always reads the row's step
// number. As a Qt model, model row i is grid row i + 1 and the header row is
// the horizontal header.
//
// Besides the texts the table keeps, per row, whether the row is highlighted
// (the running step) and which row is current; the views follow both.
class StepTable : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kMaxSteps = 1000;
    // Data role: true when the row carries the running-step highlight.
    static constexpr int kHighlightRole = Qt::UserRole + 1;
    // Highlight background of the running step, RGB 255, 255, 192.
    static constexpr unsigned kHighlightRgb = 0xFFFFC0;

    using Cells = std::array<QString, kStepFieldCount>;  // columns 1 ... 12

    explicit StepTable(QObject* parent = nullptr);

    static QString HeaderText(int column);
    // Column widths in twips; 0 for the hidden columns 6, 7 and 9.
    static int ColumnWidthTwips(int column);
    static bool IsColumnHidden(int column) { return ColumnWidthTwips(column) == 0; }

    int StepCount() const { return m_rows.size(); }
    int GridRowCount() const { return m_rows.size() + 1; }

    // Text of a grid cell: row 0 gives the headers, column 0 the step number;
    // cells outside the table read as "".
    QString Cell(int gridRow, int column) const;
    // Writes a cell of columns 1 ... 12 of a data row; other cells are ignored.
    void SetCell(int gridRow, int column, const QString& text);
    Cells StepCells(int gridRow) const;
    void SetStepCells(int gridRow, const Cells& cells);

    // The layout of an empty table: one empty step.
    void LayOut();
    // Replaces every step at once (test file load).
    void ReplaceAll(const QVector<Cells>& steps);
    // Grows or shrinks to `steps` steps; new steps are empty.
    void SetStepCount(int steps);
    // Inserts an empty step at grid row `gridRow` (1 ... GridRowCount());
    // the rows from there on move down and are renumbered.
    void InsertStep(int gridRow);
    void AppendStep() { InsertStep(GridRowCount()); }
    void RemoveStep(int gridRow);
    // Exchanges columns 1 ... 12 of two data rows; numbering stays.
    void SwapSteps(int gridRowA, int gridRowB);
    // Every step's cells, first step first.
    QVector<Cells> AllSteps() const;
    // Replaces `removeCount` steps from grid row `gridRow` on by `steps`, as
    // few rows inserted or removed as the counts need; the rows around keep
    // their highlight and the views their place.
    void ReplaceSteps(int gridRow, int removeCount, const QVector<Cells>& steps);

    bool IsHighlighted(int gridRow) const;
    void SetHighlighted(int gridRow, bool highlighted);
    void ClearHighlights();

    // The grid's current row (0 when there is none). The engine moves it to
    // the running step; the view shows it and scrolls it to the top.
    int CurrentRow() const { return m_currentRow; }
    void SetCurrentRow(int gridRow);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  signals:
    void currentRowChanged(int gridRow);

  private:
    struct Row {
        Cells cells;
        bool highlighted = false;
    };
    bool IsDataRow(int gridRow) const { return gridRow >= 1 && gridRow <= m_rows.size(); }
    void EmitRowChanged(int gridRow, int firstColumn, int lastColumn);

    QVector<Row> m_rows;
    int m_currentRow = 0;
};
