#include "StepSetupPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ActionCatalogue.h"
#include "EntryForm.h"
#include "NumberText.h"
#include "Operator.h"
#include "StepEntryMap.h"
#include "StepRecord.h"
#include "StepTable.h"

namespace {
const QString kTooManySteps = QStringLiteral("Test Step too much, Please check it.");
const QString kParallelCvMessage = QStringLiteral("並聯不可使用CV模式, 請重新選擇模式");
const QString kGotoPlaceholder = QStringLiteral("GotoCombo");
const QString kSeconds = QStringLiteral("Seconds");

// Selects `text` in a fixed list; a text the list does not hold selects
// nothing, so the selector shows empty.
void SelectInList(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(combo->findText(text));
}
}  // namespace

StepSetupPanel::StepSetupPanel(StepTable& table, Operator& op, QWidget* parent)
    : QGroupBox(parent), m_table(table), m_operator(op) {
    setObjectName(QStringLiteral("SetStepFrame"));
    auto* layout = new QVBoxLayout(this);

    auto* actionRow = new QHBoxLayout;
    auto* actionLabel = new QLabel(QStringLiteral("Action Mode :"), this);
    m_actionSelector = new QComboBox(this);
    m_actionSelector->setObjectName(QStringLiteral("SetStepActionCombo"));
    actionLabel->setBuddy(m_actionSelector);
    actionRow->addWidget(actionLabel);
    actionRow->addWidget(m_actionSelector, 1);
    layout->addLayout(actionRow);

    BuildFrames(layout);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKCommand"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelCommand"));
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_actionSelector, &QComboBox::currentTextChanged, this,
            &StepSetupPanel::OnActionChanged);
    connect(ok, &QPushButton::clicked, this, &StepSetupPanel::Commit);
    connect(cancel, &QPushButton::clicked, this, &StepSetupPanel::Cancel);

    ShowSharedVariant(m_lanMode);
    OnActionChanged(QString());
    hide();
}

EntryForm* StepSetupPanel::AddFrame(const QString& name, const QString& caption) {
    auto* frame = new EntryForm(name, caption, this);
    m_frames.insert(name, frame);
    m_framesLayout->addWidget(frame);
    return frame;
}

QLineEdit* StepSetupPanel::TimeEntry(QLineEdit* box) {
    m_timeEntries.push_back(box);
    connect(box, &QLineEdit::editingFinished, box,
            [box] { box->setText(MinutesSecondsToSeconds(box->text())); });
    return box;
}

QLineEdit* StepSetupPanel::ClampedEntry(QLineEdit* box, const EntryRange& range) {
    m_clampedEntries.push_back({box, range});
    connect(box, &QLineEdit::editingFinished, box,
            [box, range] { box->setText(ClampEntry(box->text(), range)); });
    return box;
}

void StepSetupPanel::BuildFrames(QVBoxLayout* layout) {
    m_framesLayout = new QVBoxLayout;
    layout->addLayout(m_framesLayout);
    BuildDisChargeFrames();
    BuildChargeFrames();
    BuildInternalResistanceFrames();
    BuildPulseAndLoopFrames();
    BuildRampFrames();
    for (EntryForm* frame : std::as_const(m_frames)) {
        for (QWidget* entry : frame->findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(entry) || qobject_cast<QComboBox*>(entry)) {
                if (!entry->objectName().isEmpty()) {
                    m_entries.insert(entry->objectName(), entry);
                }
            }
        }
    }
}

void StepSetupPanel::BuildDisChargeFrames() {
    EntryForm* f = AddFrame(QStringLiteral("DisChargeFrame"), QStringLiteral("DisCharge Setup"));
    m_disChargeMode = f->AddSelector(QStringLiteral("DisCharge Mode :"),
                                     QStringLiteral("DisChargeModeCombo"), LoadMode::Basic());
    QLineEdit* current = f->AddBox(QStringLiteral("DisCharge Current :"),
                                   QStringLiteral("DisChargeCurrentText"), "0", "A");
    m_disChargeUnit = f->UnitOf(current);
    m_disChargeUnit->setObjectName(QStringLiteral("DisChargeUnitLabel"));
    TimeEntry(f->AddBox(QStringLiteral("Stop Time :"), QStringLiteral("DisChargeStopTimeText"), "0",
                        kSeconds));
    f->AddBox("Stop Voltage :", "DisChargeStopVoltageText", "0", "V");
    f->AddBox("Stable Time :", "DisChargeStableTimeText", "1", kSeconds);
    f->AddBox("Stop Ah :", "DisChargeStopAHText", "1", "Ah");
    f->AddBox("Meas Time :", "DisChargeMeasTimeText", "1", kSeconds);
    f->AddGotoSelector("Go To :", "DisChargeGotoCombo");
    connect(m_disChargeMode, &QComboBox::currentTextChanged, this,
            &StepSetupPanel::OnDisChargeModeChanged);

    EntryForm* s = AddFrame(QStringLiteral("SuspendFrame"), QStringLiteral("Suspend Setup"));
    TimeEntry(s->AddBox("Suspend Time :", "SuspendTimeText", "1", kSeconds));
    s->AddBox("Stop Voltage :", "SuspendStopVoltageText", "0", "V");
    s->AddBox("Meas Time :", "SuspendMeasTimeText", "1", kSeconds);
    s->AddGotoSelector("Go To :", "SuspendGotoCombo");
}

void StepSetupPanel::BuildChargeFrames() {
    EntryForm* c = AddFrame(QStringLiteral("ChargeFrame"), QStringLiteral("Charge Setup"));
    c->AddBox("Charge Voltage :", "ChargeVoltageText", "0", "V");
    c->AddBox("Charge Current :", "ChargeCurrentText", "0", "A");
    TimeEntry(c->AddBox("Stop Time :", "ChargeStopTimeText", "0", kSeconds));
    c->AddBox("Stop Current :", "ChargeStopCurrentText", "0", "A");
    c->AddBox("Stable Time :", "ChargeStableTimeText", "1", kSeconds);
    c->AddBox("Stop AH :", "ChargeStopAHText", "1", "AH");
    c->AddBox("Meas Time :", "ChargeMeasTimeText", "1", kSeconds);
    c->AddGotoSelector("Go To :", "ChargeGotoCombo");

    EntryForm* p = AddFrame(QStringLiteral("CPChargeFrame"), QStringLiteral("CP-Charge Setup"));
    p->AddBox("Charge Power :", "CPChargePowerText", "0", "W");
    p->AddBox("Max Voltage :", "CPChargeCurrentText", "0", "V");
    TimeEntry(p->AddBox("Stop Time :", "CPChargeStopTimeText", "0", kSeconds));
    p->AddBox("Stop Current :", "CPChargeStopCurrentText", "0", "A");
    p->AddBox("Stable Time :", "CPChargeStableTimeText", "1", kSeconds);
    p->AddBox("Stop AH :", "CPChargeStopAHText", "1", "AH");
    p->AddBox("Meas Time :", "CPChargeMeasTimeText", "1", kSeconds);
}

void StepSetupPanel::BuildInternalResistanceFrames() {
    EntryForm* a = AddFrame(QStringLiteral("ACIRFrame"), QStringLiteral("ACIR Setup"));
    a->AddSelector("ACIR Load Mode :", "ACIRModeCombo", LoadMode::Basic());
    a->AddBox("ACIR Current :", "ACIRCurrentText", "0", "A");
    a->AddBox("Frequency :", "ACIRFrequencyText", "0", "KHz");
    a->AddBox("ACIR Rise/Fall :", "ACIRRiseFallText", "0", "mA/us");
    a->AddBox("Stable Time :", "ACIRStableTimeText", "1", kSeconds);
    a->AddBox("Stop AH :", "ACIRStopAHText", "1", "AH");
    a->AddBox("Meas Time :", "ACIRMeasTimeText", "1", kSeconds);

    for (const QString& level : {QStringLiteral("Low"), QStringLiteral("High")}) {
        const QString prefix = QStringLiteral("DCIR") + level;
        EntryForm* d = AddFrame(prefix + "Frame", QStringLiteral("DCIR %1 Setup").arg(level));
        d->AddSelector(QStringLiteral("DCIR %1 Mode :").arg(level), prefix + "ModeCombo",
                       LoadMode::Basic());
        d->AddBox(QStringLiteral("DCIR %1 Current :").arg(level), prefix + "CurrentText", "0", "A");
        TimeEntry(d->AddBox("Stop Time :", prefix + "StopTimeText", "0", kSeconds));
        d->AddBox("Stop Voltage :", prefix + "StopVoltageText", "0", "V");
        d->AddBox("Stable Time :", prefix + "StableTimeText", "1", kSeconds);
        d->AddBox("Stop AH :", prefix + "StopAHText", "1", "AH");
        d->AddBox("Meas Time :", prefix + "MeasTimeText", "1", kSeconds);
    }
}

void StepSetupPanel::BuildPulseAndLoopFrames() {
    EntryForm* p = AddFrame(QStringLiteral("PlusLoadFrame"), QStringLiteral("PlusLoad Setup"));
    p->AddBox("High Current :", "PlusLoadHighCurrentText", "0", "A");
    p->AddBox("Low Current :", "PlusLoadLowCurrentText", "0", "A");
    ClampedEntry(p->AddBox("T-High :", "PlusLoadTHighText", "0", "mS"), kPulseTimeRange);
    ClampedEntry(p->AddBox("T-Low :", "PlusLoadTLowText", "0", "mS"), kPulseTimeRange);
    p->AddBox("Stop Voltage :", "PlusLoadStopVoltageText", "1", "V");
    ClampedEntry(p->AddBox("Cycle Count :", "PlusLoadCycleCountText", "1"), kCycleCountRange);
    p->AddBox("Setup Time :", "PlusLoadStartTimeText", "10", "mS");
    p->AddGotoSelector("Go To :", "PlusLoadGotoCombo");

    EntryForm* f = AddFrame(QStringLiteral("ForFrame"), QStringLiteral("FOR Setup"));
    f->AddBox("Times :", "ForTimesText", "1");
    AddFrame(QStringLiteral("LoopFrame"), QStringLiteral("LOOP Setup"));
}

void StepSetupPanel::BuildRampFrames() {
    EntryForm* off = AddFrame(QStringLiteral("RampOffFrame"), QStringLiteral("RAMP OFF Setup"));
    QComboBox* offMode = off->AddSelector("DisCharge Mode :", "RampOffCombo", LoadMode::Basic());
    QLineEdit* offValue = off->AddBox("DisCharge Value :", "RampOffCurrentText", "0", "A");
    TimeEntry(off->AddBox("DisCharge Time :", "RampOffStopTimeText", "0", kSeconds));
    off->AddBox("Measure Time :", "RampOffMeasTimeText", "1", kSeconds);
    QLabel* offUnit = off->UnitOf(offValue);
    offUnit->setObjectName(QStringLiteral("RampOffUnitLabel"));
    connect(offMode, &QComboBox::currentTextChanged, this,
            [this, offMode, offUnit] { FollowModeUnit(offMode, offUnit, false); });

    EntryForm* on = AddFrame(QStringLiteral("RampOnFrame"), QStringLiteral("RAMP ON Setup"));
    m_sharedFrame = on;
    m_rampOnMode = on->AddSelector("DisCharge Mode :", "RampOnCombo", LoadMode::Basic());
    m_loadLevelMode = on->AddSelectorBeside(m_rampOnMode, "cmbLoadLevel", LoadMode::LoadLevel());
    m_loadLevelMode->setEditable(true);
    m_loadLevelMode->setInsertPolicy(QComboBox::NoInsert);
    m_loadLevelMode->setEditText(Action::kLoadLevel);
    m_rampOnValue = on->AddBox("DisCharge Value :", "RampOnCurrentText", "0", "A");
    m_loadValue = on->AddBoxBeside(m_rampOnValue, "txtLoadValue", "0", "A");
    m_sharedTime = TimeEntry(on->AddBox("DisCharge Time :", "RampOnStopTimeText", "0", kSeconds));
    m_sharedMeasure = on->AddBox("Measure Time :", "RampOnMeasTimeText", "1", kSeconds);
    m_frequency = on->AddBox("Frequency(Hz) : ", "txtFrequency", "60", "Hz");
    m_crestFactor = on->AddBox("CF : ", "txtCFValue", "1.4");
    m_powerFactor = on->AddBox("PF : ", "txtPFValue", "1");
    QLabel* rampOnUnit = on->UnitOf(m_rampOnValue);
    rampOnUnit->setObjectName(QStringLiteral("RampOnUnitLabel"));
    on->UnitOf(m_loadValue)->setObjectName(QStringLiteral("LoadLevelUnitLabel"));
    connect(m_rampOnMode, &QComboBox::currentTextChanged, this,
            [this, rampOnUnit] { FollowModeUnit(m_rampOnMode, rampOnUnit, false); });
    connect(m_loadLevelMode, &QComboBox::currentTextChanged, this,
            &StepSetupPanel::OnLoadLevelModeChanged);
}

void StepSetupPanel::SetActionNames(const QStringList& names) {
    const QString current = m_actionSelector->currentText();
    const QSignalBlocker block(m_actionSelector);
    m_actionSelector->clear();
    m_actionSelector->addItems(names);
    m_actionSelector->setCurrentIndex(m_actionSelector->findText(current));
}

void StepSetupPanel::SetLanMode(bool lanMode) {
    m_lanMode = lanMode;
    // An open panel keeps showing the entries of the action being composed.
    if (!m_open) {
        ShowSharedVariant(lanMode);
    }
}

void StepSetupPanel::ShowSharedVariant(bool loadLevel) {
    m_sharedFrame->setTitle(loadLevel ? QStringLiteral("Load Level Setup")
                                      : QStringLiteral("RAMP ON Setup"));
    m_sharedFrame->LabelOf(m_rampOnMode)
        ->setText(loadLevel ? QStringLiteral("Load Mode :") : QStringLiteral("DisCharge Mode :"));
    m_sharedFrame->LabelOf(m_rampOnValue)
        ->setText(loadLevel ? QStringLiteral("Load Value :") : QStringLiteral("DisCharge Value :"));
    m_sharedFrame->LabelOf(m_sharedTime)
        ->setText(loadLevel ? QStringLiteral("Dwell Time :") : QStringLiteral("DisCharge Time :"));
    m_sharedFrame->SetEntryVisible(m_rampOnMode, !loadLevel);
    m_sharedFrame->SetEntryVisible(m_rampOnValue, !loadLevel);
    m_sharedFrame->SetEntryVisible(m_loadLevelMode, loadLevel);
    m_sharedFrame->SetEntryVisible(m_loadValue, loadLevel);
    for (QLineEdit* box : {m_frequency, m_crestFactor, m_powerFactor}) {
        m_sharedFrame->SetEntryVisible(box, loadLevel);
        m_sharedFrame->LabelOf(box)->setVisible(loadLevel);
    }
}

void StepSetupPanel::SelectAction(const QString& action) {
    {
        const QSignalBlocker block(m_actionSelector);
        int index = m_actionSelector->findText(action);
        // A step whose action is not offered still has to be shown as it is.
        if (index < 0 && !action.isEmpty()) {
            m_actionSelector->addItem(action);
            index = m_actionSelector->count() - 1;
        }
        m_actionSelector->setCurrentIndex(index);
    }
    OnActionChanged(m_actionSelector->currentText());
}

void StepSetupPanel::OnActionChanged(const QString& action) {
    const QString shown = StepEntryMap::FrameOf(action);
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it) {
        it.value()->setVisible(it.key() == shown);
    }
    PresetEntriesFor(action);
}

void StepSetupPanel::PresetEntriesFor(const QString& action) {
    auto firstTarget = [this](const char* name) {
        qobject_cast<QComboBox*>(m_entries.value(QString::fromLatin1(name)))->setCurrentIndex(0);
    };
    if (action == Action::kLoadLevel) {
        ShowSharedVariant(true);
        const QString mode = m_loadLevelMode->currentText();
        if (mode == Action::kLoadLevel || mode.isEmpty()) {
            m_loadLevelMode->setCurrentIndex(0);
            m_loadLevelMode->setEditText(LoadMode::kCC);
        }
    } else if (action == Action::kRampOn) {
        ShowSharedVariant(false);
        m_rampOnMode->setCurrentIndex(0);
    } else if (action == Action::kRampOff) {
        qobject_cast<QComboBox*>(m_entries.value(QStringLiteral("RampOffCombo")))
            ->setCurrentIndex(0);
    } else if (action == Action::kSuspend) {
        firstTarget("SuspendGotoCombo");
    } else if (action == Action::kDisCharge || action == Action::kOverDisCharge) {
        if (m_disChargeMode->currentText().isEmpty()) {
            m_disChargeMode->setCurrentIndex(0);
        }
        firstTarget("DisChargeGotoCombo");
    } else if (action == Action::kCharge) {
        firstTarget("ChargeGotoCombo");
    } else if (action == Action::kPlusLoad) {
        // The placeholder is no target: committed, it would make a failed
        // pulse repeat its step for ever.
        auto* target = qobject_cast<QComboBox*>(m_entries.value("PlusLoadGotoCombo"));
        if (target->currentText() == kGotoPlaceholder || target->currentText().isEmpty()) {
            target->setCurrentIndex(0);
        }
    }
}

void StepSetupPanel::FollowModeUnit(QComboBox* selector, QLabel* unit, bool loadLevel) {
    const QString text = LoadMode::Unit(selector->currentText(), loadLevel);
    if (!text.isEmpty()) {
        unit->setText(text);
    }
}

void StepSetupPanel::OnDisChargeModeChanged(const QString& mode) {
    if (mode == LoadMode::kCV && m_channelsInUse >= 2) {
        SelectInList(m_disChargeMode, LoadMode::kCC);
        m_operator.ShowMessage(kParallelCvMessage);
        return;
    }
    FollowModeUnit(m_disChargeMode, m_disChargeUnit, false);
}

void StepSetupPanel::OnLoadLevelModeChanged(const QString& mode) {
    FollowModeUnit(m_loadLevelMode, m_sharedFrame->UnitOf(m_loadValue), true);
    // Crest and power factor only shape a constant-current load.
    const bool currentMode = mode == LoadMode::kCC;
    m_crestFactor->setEnabled(currentMode);
    m_powerFactor->setEnabled(currentMode);
}

QString StepSetupPanel::EntryText(const QString& name) const {
    QWidget* entry = m_entries.value(name);
    if (auto* box = qobject_cast<QLineEdit*>(entry)) {
        return box->text();
    }
    if (auto* combo = qobject_cast<QComboBox*>(entry)) {
        return combo->currentText();
    }
    return QString();
}

void StepSetupPanel::SetEntryText(const QString& name, const QString& text) {
    QWidget* entry = m_entries.value(name);
    if (auto* box = qobject_cast<QLineEdit*>(entry)) {
        box->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(entry)) {
        if (combo->isEditable()) {
            combo->setCurrentIndex(combo->findText(text));
            combo->setEditText(text);
        } else {
            SelectInList(combo, text);
        }
    }
}

void StepSetupPanel::Open(EditMode mode, int gridRow, const QString& caption) {
    m_editMode = mode;
    m_editRow = gridRow;
    setTitle(caption);
    setEnabled(true);
    show();
    raise();
    const bool wasOpen = m_open;
    m_open = true;
    if (!wasOpen) {
        emit openChanged(true);
    }
}

void StepSetupPanel::Close() {
    hide();
    if (m_open) {
        m_open = false;
        emit openChanged(false);
    }
}

void StepSetupPanel::OpenForAdd() {
    Open(EditMode::Add, m_table.GridRowCount(),
         QStringLiteral("Addition Step - Channel %1").arg(m_channelNumber));
    SelectAction(Action::kLoadLevel);
    m_actionSelector->setFocus();
}

void StepSetupPanel::OpenForInsert() {
    // With no current step the new one goes first.
    const int row = qBound(1, m_table.CurrentRow(), m_table.GridRowCount());
    Open(EditMode::Insert, row, QStringLiteral("Insert Step - Channel %1").arg(m_channelNumber));
    SelectAction(Action::kLoadLevel);
    m_actionSelector->setFocus();
}

void StepSetupPanel::OpenForModify(int gridRow) {
    if (gridRow < 1 || gridRow > m_table.StepCount()) {
        return;
    }
    Open(EditMode::Modify, gridRow,
         QStringLiteral("Modify Channel - %1 Step - %2").arg(m_channelNumber).arg(gridRow));
    const QString action = m_table.Cell(gridRow, StepColumn::ActionMode);
    if (action.isEmpty()) {
        // An empty step is composed like a new one.
        SelectAction(Action::kLoadLevel);
    } else {
        SelectAction(action);
        ReadEntries(gridRow, action);
    }
    m_actionSelector->setFocus();
}

void StepSetupPanel::Cancel() {
    Close();
}

bool StepSetupPanel::Commit() {
    const QString action = m_actionSelector->currentText();
    if (!m_open || action.isEmpty()) {
        return false;
    }
    ApplyEntryCorrections();
    if (action == Action::kLoadLevel && !PassesLoadLevelCheck()) {
        return false;
    }
    int row = m_editRow;
    if (m_editMode == EditMode::Modify) {
        if (row < 1 || row > m_table.StepCount()) {
            Close();
            return false;
        }
    } else {
        if (m_table.StepCount() >= StepTable::kMaxSteps) {
            m_operator.ShowMessage(kTooManySteps);
            return false;
        }
        row = m_editMode == EditMode::Add ? m_table.GridRowCount()
                                          : qBound(1, row, m_table.GridRowCount());
        m_table.InsertStep(row);
    }
    m_table.SetCell(row, StepColumn::ActionMode, action);
    WriteEntries(row, action);
    Close();
    emit committed(row);
    return true;
}

void StepSetupPanel::ApplyEntryCorrections() {
    // The boxes correct themselves when left; a commit by keyboard may come
    // before that.
    for (QLineEdit* box : std::as_const(m_timeEntries)) {
        box->setText(MinutesSecondsToSeconds(box->text()));
    }
    for (const auto& [box, range] : std::as_const(m_clampedEntries)) {
        box->setText(ClampEntry(box->text(), range));
    }
}

bool StepSetupPanel::PassesLoadLevelCheck() {
    const LoadLevelEntries entries{m_loadLevelMode->currentText(), m_loadValue->text(),
                                   m_sharedTime->text(), m_sharedMeasure->text(),
                                   m_frequency->text()};
    const LoadLevelCheck check = CheckLoadLevel(entries);
    m_loadValue->setText(check.corrected.loadValue);
    m_sharedTime->setText(check.corrected.dwellTime);
    m_sharedMeasure->setText(check.corrected.measureTime);
    m_frequency->setText(check.corrected.frequency);
    for (const QString& message : check.messages) {
        m_operator.ShowMessage(message, kLoadLevelWarningTitle);
    }
    if (check.focus == LoadLevelFocus::LoadValue) {
        m_loadValue->setFocus();
        m_loadValue->selectAll();
    } else if (check.focus == LoadLevelFocus::DwellTime) {
        m_sharedTime->setFocus();
        m_sharedTime->selectAll();
    }
    return check.valid;
}

void StepSetupPanel::WriteEntries(int gridRow, const QString& action) {
    const StepEntryMap::ActionEntries* entries = StepEntryMap::EntriesOf(action);
    if (entries == nullptr) {
        return;
    }
    for (int i = 0; i < StepEntryMap::kColumnCount; ++i) {
        const StepEntryMap::ColumnEntry& entry = (*entries)[i];
        const int column = StepEntryMap::kFirstColumn + i;
        switch (entry.source) {
            case StepEntryMap::Source::Untouched:
                break;
            case StepEntryMap::Source::Empty:
                m_table.SetCell(gridRow, column, QString());
                break;
            case StepEntryMap::Source::Text:
                m_table.SetCell(gridRow, column, EntryText(QString::fromLatin1(entry.entry)));
                break;
            case StepEntryMap::Source::Number:
                m_table.SetCell(
                    gridRow, column,
                    NumberText(EntryValue(EntryText(QString::fromLatin1(entry.entry)))));
                break;
        }
    }
}

void StepSetupPanel::ReadEntries(int gridRow, const QString& action) {
    const StepEntryMap::ActionEntries* entries = StepEntryMap::EntriesOf(action);
    if (entries == nullptr) {
        return;
    }
    for (int i = 0; i < StepEntryMap::kColumnCount; ++i) {
        const StepEntryMap::ColumnEntry& entry = (*entries)[i];
        if (entry.entry != nullptr) {
            SetEntryText(QString::fromLatin1(entry.entry),
                         m_table.Cell(gridRow, StepEntryMap::kFirstColumn + i));
        }
    }
}
