#pragma once

#include <QGroupBox>

#include "StepEntryMap.h"

class EntryForm;
class Operator;
class QComboBox;
class QLabel;
class StepEditHistory;
class StepEntryFrames;
class StepTable;

// The step setup panel "SetStepFrame": one step composed in the entry frame of
// its action and committed into the step table, as a new last step, a step
// inserted at the current row, or over an existing step. The entries keep
// their texts from one opening to the next.
class StepSetupPanel : public QGroupBox {
    Q_OBJECT

  public:
    StepSetupPanel(StepTable& table, Operator& op, QWidget* parent = nullptr);

    void SetActionNames(const QStringList& names);
    // The connect mode's variant of the frame shared by RAMP ON and LoadLevel:
    // the load-level entries on a LAN connection, the RAMP ON entries else.
    void SetLanMode(bool lanMode);
    void SetChannelNumber(int channel) { m_channelNumber = channel; }
    void SetChannelsInUse(int channels) { m_channelsInUse = channels; }
    // Where a commit is recorded for undo; none: not recorded.
    void SetHistory(StepEditHistory* history) { m_history = history; }

    void OpenForAdd();
    void OpenForInsert();
    // Loads step `gridRow` into the entries of its action.
    void OpenForModify(int gridRow);
    bool IsOpen() const { return m_open; }
    int StepEditRow() const { return m_editRow; }

    // Selects `action` and shows its entry frame, presetting some entries.
    void SelectAction(const QString& action);

    // OK: checks the entries and writes the step; false when the panel stays
    // open because an entry or the table size refused the step.
    bool Commit();
    void Cancel();

  signals:
    void openChanged(bool open);
    void committed(int gridRow);

  protected:
    // Enter commits the step, Esc cancels it, wherever the focus is in the panel.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    enum class EditMode { Add, Insert, Modify };

    EntryForm* FormOf(const StepEntryMap::Entry& entry) const;
    QComboBox* Selector(const StepEntryMap::Entry& entry) const;
    QLabel* NamedUnitOf(const StepEntryMap::Entry& entry, const char* name) const;
    void ConnectModeSelectors();
    void ExplainEntries();

    void OnActionChanged(const QString& action);
    void PresetEntriesFor(const QString& action);
    void ShowSharedVariant(bool loadLevel);
    void OnDisChargeModeChanged(const QString& mode);
    void OnLoadLevelModeChanged(const QString& mode);
    void FollowModeUnit(QComboBox* selector, QLabel* unit, bool loadLevel);

    void Open(EditMode mode, int gridRow, const QString& caption);
    void Close();
    bool PassesLoadLevelCheck();
    void WriteStep(int row, const QString& action);

    StepTable& m_table;
    Operator& m_operator;
    QComboBox* m_actionSelector = nullptr;
    StepEntryFrames* m_entries = nullptr;
    QLabel* m_disChargeUnit = nullptr;
    StepEditHistory* m_history = nullptr;

    EditMode m_editMode = EditMode::Add;
    int m_editRow = 0;
    int m_channelNumber = 1;
    int m_channelsInUse = 1;
    bool m_lanMode = true;
    bool m_open = false;
};
