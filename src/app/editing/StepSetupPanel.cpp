#include "StepSetupPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ActionCatalogue.h"
#include "EntryForm.h"
#include "Operator.h"
#include "StepEditHistory.h"
#include "StepEntryFrames.h"
#include "StepLimits.h"
#include "StepRecord.h"
#include "StepTable.h"

using namespace StepEntryMap;

namespace {
const QString kTooManySteps = QStringLiteral("Test Step too much, Please check it.");
const QString kParallelCvMessage = QStringLiteral("並聯不可使用CV模式, 請重新選擇模式");
const QString kGotoPlaceholder = QStringLiteral("GotoCombo");
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

    auto* framesLayout = new QVBoxLayout;
    layout->addLayout(framesLayout);
    m_entries = new StepEntryFrames(this, framesLayout, op);

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

    m_actionSelector->setToolTip(
        QStringLiteral("What the step does; it decides which entries show below"));
    ok->setToolTip(QStringLiteral("Writes the step into the table (Enter)"));
    cancel->setToolTip(QStringLiteral("Closes the panel; the table stays as it is (Esc)"));
    ExplainEntries();
    ConnectModeSelectors();
    connect(m_actionSelector, &QComboBox::currentTextChanged, this,
            &StepSetupPanel::OnActionChanged);
    connect(ok, &QPushButton::clicked, this, &StepSetupPanel::Commit);
    connect(cancel, &QPushButton::clicked, this, &StepSetupPanel::Cancel);

    ShowSharedVariant(m_lanMode);
    OnActionChanged(QString());
    hide();
}

EntryForm* StepSetupPanel::FormOf(const Entry& entry) const {
    return static_cast<EntryForm*>(m_entries->Widget(entry)->parentWidget());
}

QComboBox* StepSetupPanel::Selector(const Entry& entry) const {
    return m_entries->Selector(entry);
}

QLabel* StepSetupPanel::NamedUnitOf(const Entry& entry, const char* name) const {
    QLabel* unit = FormOf(entry)->UnitOf(m_entries->Widget(entry));
    unit->setObjectName(QString::fromLatin1(name));
    return unit;
}

void StepSetupPanel::ExplainEntries() {
    // Each entry says what its column means for the actions that show it,
    // as the step table's cells do.
    QHash<QWidget*, QStringList> texts;
    for (const QString& action : Action::All()) {
        const ActionEntries* columns = EntriesOf(action);
        if (columns == nullptr) {
            continue;
        }
        for (int i = 0; i < kColumnCount; ++i) {
            const ColumnEntry& column = (*columns)[static_cast<size_t>(i)];
            QWidget* widget = column.entry ? m_entries->Widget(*column.entry) : nullptr;
            const ColumnMeaning meaning = ColumnMeanings::Of(action, kFirstColumn + i, QString());
            if (widget == nullptr || !meaning.IsUsed()) {
                continue;
            }
            // An entry two actions share says first what it means for the
            // first of them, then where another reads it otherwise.
            QStringList& lines = texts[widget];
            const QString text = lines.isEmpty()
                                     ? meaning.Text()
                                     : QStringLiteral("For %1: %2").arg(action, meaning.Text());
            if (lines.isEmpty() || !lines.first().endsWith(meaning.Text())) {
                lines << text;
            }
        }
    }
    for (auto it = texts.constBegin(); it != texts.constEnd(); ++it) {
        it.key()->setToolTip(it.value().join(QLatin1Char('\n')));
    }
}

void StepSetupPanel::ConnectModeSelectors() {
    m_disChargeUnit = NamedUnitOf(kDisChargeCurrent, "DisChargeUnitLabel");
    QLabel* rampOffUnit = NamedUnitOf(kRampOffValue, "RampOffUnitLabel");
    QLabel* rampOnUnit = NamedUnitOf(kRampOnValue, "RampOnUnitLabel");
    NamedUnitOf(kLoadValue, "LoadLevelUnitLabel");
    connect(Selector(kDisChargeMode), &QComboBox::currentTextChanged, this,
            &StepSetupPanel::OnDisChargeModeChanged);
    connect(Selector(kRampOffMode), &QComboBox::currentTextChanged, this,
            [this, rampOffUnit] { FollowModeUnit(Selector(kRampOffMode), rampOffUnit, false); });
    connect(Selector(kRampOnMode), &QComboBox::currentTextChanged, this,
            [this, rampOnUnit] { FollowModeUnit(Selector(kRampOnMode), rampOnUnit, false); });
    connect(Selector(kLoadLevelMode), &QComboBox::currentTextChanged, this,
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
    EntryForm* shared = FormOf(kRampOnMode);
    const auto label = [&](const Entry& entry, const char* levelText) {
        FormOf(entry)
            ->LabelOf(m_entries->Widget(entry))
            ->setText(QString::fromLatin1(loadLevel ? levelText : entry.label));
    };
    shared->setTitle(loadLevel ? QStringLiteral("Load Level Setup")
                               : QStringLiteral("RAMP ON Setup"));
    label(kRampOnMode, "Load Mode :");
    label(kRampOnValue, "Load Value :");
    label(kSharedTime, "Dwell Time :");
    for (const Entry* entry : {&kRampOnMode, &kRampOnValue}) {
        shared->SetEntryVisible(m_entries->Widget(*entry), !loadLevel);
    }
    for (const Entry* entry : {&kLoadLevelMode, &kLoadValue}) {
        shared->SetEntryVisible(m_entries->Widget(*entry), loadLevel);
    }
    for (const Entry* entry : {&kFrequency, &kCrestFactor, &kPowerFactor}) {
        shared->SetEntryVisible(m_entries->Widget(*entry), loadLevel);
        shared->LabelOf(m_entries->Widget(*entry))->setVisible(loadLevel);
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
    m_entries->ShowFrameOf(action);
    PresetEntriesFor(action);
}

void StepSetupPanel::PresetEntriesFor(const QString& action) {
    if (action == Action::kLoadLevel) {
        ShowSharedVariant(true);
        QComboBox* mode = Selector(kLoadLevelMode);
        if (mode->currentText() == Action::kLoadLevel || mode->currentText().isEmpty()) {
            mode->setCurrentIndex(0);
            mode->setEditText(LoadMode::kCC);
        }
    } else if (action == Action::kRampOn) {
        ShowSharedVariant(false);
        Selector(kRampOnMode)->setCurrentIndex(0);
    } else if (action == Action::kRampOff) {
        Selector(kRampOffMode)->setCurrentIndex(0);
    } else if (action == Action::kSuspend) {
        Selector(kSuspendGoto)->setCurrentIndex(0);
    } else if (action == Action::kDisCharge || action == Action::kOverDisCharge) {
        if (Selector(kDisChargeMode)->currentText().isEmpty()) {
            Selector(kDisChargeMode)->setCurrentIndex(0);
        }
        Selector(kDisChargeGoto)->setCurrentIndex(0);
    } else if (action == Action::kCharge) {
        Selector(kChargeGoto)->setCurrentIndex(0);
    } else if (action == Action::kPlusLoad) {
        // The placeholder is no target: committed, it would make a failed
        // pulse repeat its step for ever.
        QComboBox* target = Selector(kPlusLoadGoto);
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
    QComboBox* selector = Selector(kDisChargeMode);
    if (mode == LoadMode::kCV && m_channelsInUse >= 2) {
        selector->setCurrentIndex(selector->findText(LoadMode::kCC));
        m_operator.ShowMessage(kParallelCvMessage);
        return;
    }
    FollowModeUnit(selector, m_disChargeUnit, false);
}

void StepSetupPanel::OnLoadLevelModeChanged(const QString& mode) {
    FollowModeUnit(Selector(kLoadLevelMode),
                   FormOf(kLoadValue)->UnitOf(m_entries->Widget(kLoadValue)), true);
    // Crest and power factor only shape a constant-current load.
    const bool currentMode = mode == LoadMode::kCC;
    m_entries->Widget(kCrestFactor)->setEnabled(currentMode);
    m_entries->Widget(kPowerFactor)->setEnabled(currentMode);
}

void StepSetupPanel::Open(EditMode mode, int gridRow, const QString& caption) {
    m_editMode = mode;
    m_editRow = gridRow;
    m_entries->ForgetRefusals();
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
        m_entries->ReadColumns(m_table, gridRow, action);
    }
    m_actionSelector->setFocus();
}

void StepSetupPanel::Cancel() {
    Close();
}

bool StepSetupPanel::Commit() {
    const QString action = m_actionSelector->currentText();
    if (!m_open || action.isEmpty() || !m_entries->AcceptTypedEntries(action)) {
        return false;
    }
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
    }
    if (m_history == nullptr) {
        WriteStep(row, action);
    } else {
        const QString text = m_editMode == EditMode::Modify ? QStringLiteral("Modify Step")
                             : m_editMode == EditMode::Add  ? QStringLiteral("Add Step")
                                                            : QStringLiteral("Insert Step");
        m_history->Record(text, [&] { WriteStep(row, action); });
    }
    Close();
    emit committed(row);
    return true;
}

void StepSetupPanel::keyPressEvent(QKeyEvent* event) {
    if (m_open && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Commit();
                return;
            case Qt::Key_Escape:
                Cancel();
                return;
            default:
                break;
        }
    }
    QGroupBox::keyPressEvent(event);
}

void StepSetupPanel::WriteStep(int row, const QString& action) {
    if (m_editMode != EditMode::Modify) {
        m_table.InsertStep(row);
    }
    m_table.SetCell(row, StepColumn::ActionMode, action);
    m_entries->WriteColumns(m_table, row, action);
}

bool StepSetupPanel::PassesLoadLevelCheck() {
    const LoadLevelEntries entries{m_entries->Text(kLoadLevelMode), m_entries->Text(kLoadValue),
                                   m_entries->Text(kSharedTime), m_entries->Text(kSharedMeasure),
                                   m_entries->Text(kFrequency)};
    const LoadLevelCheck check = CheckLoadLevel(entries);
    m_entries->SetText(kLoadValue, check.corrected.loadValue);
    m_entries->SetText(kSharedTime, check.corrected.dwellTime);
    m_entries->SetText(kSharedMeasure, check.corrected.measureTime);
    m_entries->SetText(kFrequency, check.corrected.frequency);
    for (const QString& message : check.messages) {
        m_operator.ShowMessage(message, kLoadLevelWarningTitle);
    }
    QLineEdit* focus = nullptr;
    if (check.focus == LoadLevelFocus::LoadValue) {
        focus = m_entries->Box(kLoadValue);
    } else if (check.focus == LoadLevelFocus::DwellTime) {
        focus = m_entries->Box(kSharedTime);
    }
    if (focus != nullptr) {
        focus->setFocus();
        focus->selectAll();
    }
    return check.valid;
}
