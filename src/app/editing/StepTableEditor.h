#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class Operator;
class QAction;
class QMenu;
class QPushButton;
class QTableView;
class StepEditHistory;
class StepGridView;
class StepRowCommands;
class StepSetupPanel;
class StepTable;

// Everything the operator edits the step table with: the grid with its
// in-place editors, the row buttons beside it, the setup panel, the context
// menu with COPY and PASTE, and the keys of a table editor (Delete, Insert,
// Ctrl+C, Ctrl+V, Ctrl+Up, Ctrl+Down, F2 and Enter). Edits change the step
// table only; the test file follows when it is saved. Every edit is one step
// of the undo history. Messages go to the operator.
class StepTableEditor : public QWidget {
    Q_OBJECT

  public:
    StepTableEditor(StepTable& table, Operator& op, QWidget* parent = nullptr);
    ~StepTableEditor() override;

    // The pickers' lists from the settings file. No selector uses the
    // high/low list; it is accepted for completeness.
    void SetNameLists(const QStringList& actionNames, const QStringList& loadModeNames,
                      const QStringList& highLowNames);
    void SetLanMode(bool lanMode);
    void SetChannelNumber(int channel);
    // Two or more channels in use refuse the CV mode.
    void SetChannelsInUse(int channels);
    // Off while a test runs: no row command, no cell editor, no panel commit.
    void SetEditingEnabled(bool enabled);
    bool EditingEnabled() const { return m_editingEnabled; }

    // Writes an open cell editor back into the table.
    void CommitOpenEdits();

    QTableView* GridView() const;
    StepSetupPanel& SetupPanel() const { return *m_panel; }
    StepRowCommands& RowCommands() const { return *m_rowCommands; }
    StepEditHistory& History() const { return *m_history; }
    QMenu* RightMenu() const { return m_rightMenu; }

    // The row commands.
    void AddStep();
    void InsertStep();
    void DeleteStep();
    void MoveStepUp();
    void MoveStepDown();
    void CopySteps();
    void PasteSteps();
    void Undo();
    void Redo();

    // What the row commands may do now; the window's menu follows them.
    bool RowCommandsAllowed() const;
    bool CanPaste() const;

  signals:
    // RowCommandsAllowed() or CanPaste() may have changed.
    void commandsChanged();

  private:
    QPushButton* AddRowButton(const QString& name, const QString& label, const QString& toolTip,
                              void (StepTableEditor::*command)());
    void ConnectGrid();
    void ShowRightMenu(const QPoint& globalPos);
    void UpdateControls();
    // Runs `command` when the row commands are allowed, an open cell editor
    // written back first; RecordRowCommand() keeps it as one undo step.
    void WhenRowCommandsAllowed(const std::function<void()>& command);
    void RecordRowCommand(const QString& undoText, const std::function<void()>& command);

    StepTable& m_table;
    Operator& m_operator;
    std::unique_ptr<StepRowCommands> m_rowCommands;
    StepEditHistory* m_history;
    StepGridView* m_grid;
    StepSetupPanel* m_panel;
    QWidget* m_buttonColumn;
    QList<QPushButton*> m_rowButtons;
    QMenu* m_rightMenu;
    QAction* m_copyAction;
    QAction* m_pasteAction;
    bool m_editingEnabled = true;
};
