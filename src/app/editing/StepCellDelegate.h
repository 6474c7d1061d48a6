#pragma once

#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>

#include "CellEditRules.h"

class Operator;
class QComboBox;
class StepEditHistory;
class StepTable;

// Paints the step grid's cells (the running step's highlight, the step
// number column as a fixed column) and supplies the in-place editors: the
// action, mode and go-to selectors and the text box. Qt places each editor
// exactly over its cell; the editor writes back when it loses the focus, on
// Enter, when a selector's item is chosen, or when the grid scrolls.
class StepCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    StepCellDelegate(StepTable& table, Operator& op, QObject* parent = nullptr);

    void SetActionNames(const QStringList& names) { m_actionNames = names; }
    void SetLoadModeNames(const QStringList& names) { m_loadModeNames = names; }
    // Two or more channels share the load: CV is refused in parallel.
    void SetChannelsInUse(int channels) { m_channelsInUse = channels; }
    // Where a committed cell is recorded for undo; none: not recorded.
    void SetHistory(StepEditHistory* history) { m_history = history; }

    // The editor open right now, if any.
    QWidget* OpenEditor() const { return m_openEditor; }
    // Writes the open editor back into its cell and closes it.
    void CommitOpenEditor();

    // QStyledItemDelegate
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    CellEditRules::EditPlan PlanOf(const QModelIndex& index) const;
    QWidget* CreateSelector(QWidget* parent, const CellEditRules::EditPlan& plan) const;
    QWidget* CreateTextBox(QWidget* parent, const CellEditRules::EditPlan& plan) const;
    void RefuseParallelCv(QComboBox* modeSelector) const;
    // Text that is no number stays out of the cell, with a message naming it.
    void RefuseText(int gridRow, int column) const;
    void CommitEditor(QWidget* editor);

    StepTable& m_table;
    Operator& m_operator;
    QStringList m_actionNames;
    QStringList m_loadModeNames;
    int m_channelsInUse = 1;
    StepEditHistory* m_history = nullptr;
    mutable QPointer<QWidget> m_openEditor;
    mutable CellEditRules::EditPlan m_openPlan;
    mutable bool m_refusing = false;
};
