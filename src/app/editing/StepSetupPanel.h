#pragma once

#include <QGroupBox>
#include <QHash>
#include <QVector>

#include "StepLimits.h"

class EntryForm;
class Operator;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class StepTable;

// The step setup panel "SetStepFrame": one step composed in the entry frame of
// its action and committed into the step table, as a new last step, a step
// inserted at the current row, or over an existing step. The entries keep
// their texts from one opening to the next.
class StepSetupPanel : public QGroupBox {
    Q_OBJECT

  public:
    enum class EditMode { Add = 0, Insert = 1, Modify = 2 };

    StepSetupPanel(StepTable& table, Operator& op, QWidget* parent = nullptr);

    void SetActionNames(const QStringList& names);
    // The connect mode's variant of the frame shared by RAMP ON and LoadLevel:
    // the load-level entries on a LAN connection, the RAMP ON entries else.
    void SetLanMode(bool lanMode);
    void SetChannelNumber(int channel) { m_channelNumber = channel; }
    void SetChannelsInUse(int channels) { m_channelsInUse = channels; }

    void OpenForAdd();
    void OpenForInsert();
    // Loads step `gridRow` into the entries of its action.
    void OpenForModify(int gridRow);
    bool IsOpen() const { return m_open; }
    EditMode StepEditMode() const { return m_editMode; }
    int StepEditRow() const { return m_editRow; }

    // Selects `action` and shows its entry frame, presetting some entries.
    void SelectAction(const QString& action);
    QString EntryText(const QString& name) const;
    void SetEntryText(const QString& name, const QString& text);

    // OK: checks the entries and writes the step; false when the panel stays
    // open because an entry or the table size refused the step.
    bool Commit();
    void Cancel();

  signals:
    void openChanged(bool open);
    void committed(int gridRow);

  private:
    void BuildFrames(QVBoxLayout* layout);
    void BuildDisChargeFrames();
    void BuildChargeFrames();
    void BuildInternalResistanceFrames();
    void BuildPulseAndLoopFrames();
    void BuildRampFrames();
    EntryForm* AddFrame(const QString& name, const QString& caption);
    QLineEdit* TimeEntry(QLineEdit* box);
    QLineEdit* ClampedEntry(QLineEdit* box, const EntryRange& range);

    void OnActionChanged(const QString& action);
    void PresetEntriesFor(const QString& action);
    void ShowSharedVariant(bool loadLevel);
    void OnDisChargeModeChanged(const QString& mode);
    void OnLoadLevelModeChanged(const QString& mode);
    void FollowModeUnit(QComboBox* selector, QLabel* unit, bool loadLevel);

    void Open(EditMode mode, int gridRow, const QString& caption);
    void Close();
    void ApplyEntryCorrections();
    bool PassesLoadLevelCheck();
    void WriteEntries(int gridRow, const QString& action);
    void ReadEntries(int gridRow, const QString& action);

    StepTable& m_table;
    Operator& m_operator;
    QComboBox* m_actionSelector = nullptr;
    QVBoxLayout* m_framesLayout = nullptr;
    QHash<QString, EntryForm*> m_frames;
    QHash<QString, QWidget*> m_entries;
    QVector<QLineEdit*> m_timeEntries;
    QVector<QPair<QLineEdit*, EntryRange>> m_clampedEntries;

    EntryForm* m_sharedFrame = nullptr;
    QComboBox* m_disChargeMode = nullptr;
    QLabel* m_disChargeUnit = nullptr;
    QComboBox* m_rampOnMode = nullptr;
    QLineEdit* m_rampOnValue = nullptr;
    QComboBox* m_loadLevelMode = nullptr;
    QLineEdit* m_loadValue = nullptr;
    QLineEdit* m_sharedTime = nullptr;
    QLineEdit* m_sharedMeasure = nullptr;
    QLineEdit* m_frequency = nullptr;
    QLineEdit* m_crestFactor = nullptr;
    QLineEdit* m_powerFactor = nullptr;

    EditMode m_editMode = EditMode::Add;
    int m_editRow = 0;
    int m_channelNumber = 1;
    int m_channelsInUse = 1;
    bool m_lanMode = true;
    bool m_open = false;
};
