#pragma once

#include <QTableView>

class Operator;
class StepCellDelegate;
class StepTable;

// The step table grid "TestStepGrid": a header row, the step numbers as a
// fixed-looking first column, the running step's highlight, and in-place
// editors opened by a click, F2 or Enter. It keeps the table's current row and
// its own in step, and reports the operator's row commands (keys, the mouse
// range for copying, the context menu, a double click on a step number) as
// signals for the editor around it to carry out.
class StepGridView : public QTableView {
    Q_OBJECT

  public:
    StepGridView(StepTable& table, Operator& op, QWidget* parent = nullptr);

    StepCellDelegate& CellDelegate() const { return *m_delegate; }

    // While locked, no cell editor opens and the row command keys are ignored;
    // an open editor is written back first.
    void SetEditingLocked(bool locked);
    bool EditingLocked() const { return m_locked; }

    // Commits the open cell editor, if any.
    void CommitOpenEditor();

  signals:
    // Left-button press and release: the rows of the copy range.
    void selectionStarted(int gridRow);
    void selectionEnded(int gridRow);
    // A keyboard selection covering `firstRow` ... `lastRow`.
    void selectionExtended(int firstRow, int lastRow);
    void contextMenuRequested(const QPoint& globalPos);
    void modifyRequested(int gridRow);
    void deleteRequested();
    void insertRequested();
    void copyRequested();
    void pasteRequested();
    void moveUpRequested();
    void moveDownRequested();

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ApplyColumnLayout();
    void FollowCurrentRow(int gridRow);
    bool HandleCommandKey(QKeyEvent* event);
    void ReportKeyboardSelection();
    int SelectionRow() const;

    StepTable& m_table;
    StepCellDelegate* m_delegate;
    bool m_locked = false;
    bool m_reportingCurrentRow = false;
    QPersistentModelIndex m_pressIndex;
};
