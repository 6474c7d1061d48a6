#include "StepTableEditor.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "StepCellDelegate.h"
#include "StepEditHistory.h"
#include "StepGridView.h"
#include "StepRowCommands.h"
#include "StepSetupPanel.h"
#include "StepTable.h"

StepTableEditor::StepTableEditor(StepTable& table, Operator& op, QWidget* parent)
    : QWidget(parent),
      m_table(table),
      m_operator(op),
      m_rowCommands(std::make_unique<StepRowCommands>(table)),
      m_history(new StepEditHistory(table, this)),
      m_grid(new StepGridView(table, op, this)),
      m_panel(new StepSetupPanel(table, op, this)),
      m_buttonColumn(new QWidget(this)),
      m_rightMenu(new QMenu(QStringLiteral("Right Menu"), this)) {
    auto* buttons = new QVBoxLayout(m_buttonColumn);
    buttons->setContentsMargins(0, 0, 0, 0);
    AddRowButton(QStringLiteral("AddCommand"), QStringLiteral("Addition New Step"),
                 QStringLiteral("Composes a new last step in the setup panel"),
                 &StepTableEditor::AddStep);
    AddRowButton(QStringLiteral("InsCommand"), QStringLiteral("Insert Step"),
                 QStringLiteral("Composes a step in the setup panel and inserts it at the "
                                "current row (Insert)"),
                 &StepTableEditor::InsertStep);
    AddRowButton(QStringLiteral("DelCommand"), QStringLiteral("Delete Step"),
                 QStringLiteral("Deletes the current step (Delete; Ctrl+Z brings it back)"),
                 &StepTableEditor::DeleteStep);
    AddRowButton(QStringLiteral("MoveUpCommand"), QStringLiteral("Move Up Step"),
                 QStringLiteral("Moves the current step up one row (Ctrl+Up)"),
                 &StepTableEditor::MoveStepUp);
    AddRowButton(QStringLiteral("MoveDnCommand"), QStringLiteral("Move Down Step"),
                 QStringLiteral("Moves the current step down one row (Ctrl+Down)"),
                 &StepTableEditor::MoveStepDown);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_buttonColumn);
    layout->addWidget(m_panel);

    m_rightMenu->setObjectName(QStringLiteral("RightPUP"));
    m_copyAction =
        m_rightMenu->addAction(QStringLiteral("COPY"), this, &StepTableEditor::CopySteps);
    m_copyAction->setObjectName(QStringLiteral("COPY"));
    m_pasteAction =
        m_rightMenu->addAction(QStringLiteral("PASTE"), this, &StepTableEditor::PasteSteps);
    m_pasteAction->setObjectName(QStringLiteral("PASTE"));

    m_grid->CellDelegate().SetHistory(m_history);
    m_panel->SetHistory(m_history);
    ConnectGrid();
    connect(m_panel, &StepSetupPanel::openChanged, this, &StepTableEditor::UpdateControls);
    connect(m_panel, &StepSetupPanel::committed, this, [this](int gridRow) {
        m_grid->scrollTo(m_table.index(gridRow - 1, 0));
        m_grid->setFocus();
    });
    UpdateControls();
}

StepTableEditor::~StepTableEditor() = default;

QPushButton* StepTableEditor::AddRowButton(const QString& name, const QString& label,
                                           const QString& toolTip,
                                           void (StepTableEditor::*command)()) {
    auto* button = new QPushButton(label, m_buttonColumn);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    m_buttonColumn->layout()->addWidget(button);
    connect(button, &QPushButton::clicked, this, command);
    m_rowButtons << button;
    return button;
}

void StepTableEditor::ConnectGrid() {
    StepRowCommands* rows = m_rowCommands.get();
    connect(m_grid, &StepGridView::selectionStarted, this,
            [rows](int row) { rows->BeginSelection(row); });
    connect(m_grid, &StepGridView::selectionEnded, this,
            [rows](int row) { rows->EndSelection(row); });
    connect(m_grid, &StepGridView::selectionExtended, this,
            [rows](int first, int last) { rows->SetSelection(first, last); });
    connect(m_grid, &StepGridView::contextMenuRequested, this, &StepTableEditor::ShowRightMenu);
    connect(m_grid, &StepGridView::modifyRequested, m_panel, &StepSetupPanel::OpenForModify);
    connect(m_grid, &StepGridView::deleteRequested, this, &StepTableEditor::DeleteStep);
    connect(m_grid, &StepGridView::insertRequested, this, &StepTableEditor::InsertStep);
    connect(m_grid, &StepGridView::copyRequested, this, &StepTableEditor::CopySteps);
    connect(m_grid, &StepGridView::pasteRequested, this, &StepTableEditor::PasteSteps);
    connect(m_grid, &StepGridView::moveUpRequested, this, &StepTableEditor::MoveStepUp);
    connect(m_grid, &StepGridView::moveDownRequested, this, &StepTableEditor::MoveStepDown);
}

void StepTableEditor::SetNameLists(const QStringList& actionNames, const QStringList& loadModeNames,
                                   const QStringList&) {
    m_panel->SetActionNames(actionNames);
    m_grid->CellDelegate().SetActionNames(actionNames);
    m_grid->CellDelegate().SetLoadModeNames(loadModeNames);
}

void StepTableEditor::SetLanMode(bool lanMode) {
    m_panel->SetLanMode(lanMode);
}

void StepTableEditor::SetChannelNumber(int channel) {
    m_panel->SetChannelNumber(channel);
}

void StepTableEditor::SetChannelsInUse(int channels) {
    m_panel->SetChannelsInUse(channels);
    m_grid->CellDelegate().SetChannelsInUse(channels);
}

void StepTableEditor::SetEditingEnabled(bool enabled) {
    m_editingEnabled = enabled;
    UpdateControls();
}

void StepTableEditor::CommitOpenEdits() {
    m_grid->CommitOpenEditor();
}

QTableView* StepTableEditor::GridView() const {
    return m_grid;
}

bool StepTableEditor::RowCommandsAllowed() const {
    // While the panel is open its edit row must stay where it was taken.
    return m_editingEnabled && !m_panel->IsOpen();
}

void StepTableEditor::UpdateControls() {
    const bool allowed = RowCommandsAllowed();
    for (QPushButton* button : std::as_const(m_rowButtons)) {
        button->setEnabled(allowed);
    }
    m_grid->SetEditingLocked(!allowed);
    m_panel->setEnabled(m_editingEnabled);
    m_pasteAction->setEnabled(CanPaste());
    emit commandsChanged();
}

bool StepTableEditor::CanPaste() const {
    return RowCommandsAllowed() && m_rowCommands->CanPaste();
}

void StepTableEditor::ShowRightMenu(const QPoint& globalPos) {
    UpdateControls();
    m_rightMenu->popup(globalPos);
}

void StepTableEditor::WhenRowCommandsAllowed(const std::function<void()>& command) {
    if (RowCommandsAllowed()) {
        m_grid->CommitOpenEditor();
        command();
    }
}

void StepTableEditor::RecordRowCommand(const QString& undoText,
                                       const std::function<void()>& command) {
    WhenRowCommandsAllowed([&] { m_history->Record(undoText, command); });
}

void StepTableEditor::AddStep() {
    WhenRowCommandsAllowed([this] { m_panel->OpenForAdd(); });
}

void StepTableEditor::InsertStep() {
    WhenRowCommandsAllowed([this] { m_panel->OpenForInsert(); });
}

void StepTableEditor::DeleteStep() {
    RecordRowCommand(QStringLiteral("Delete Step"), [this] { m_rowCommands->DeleteCurrentStep(); });
}

void StepTableEditor::MoveStepUp() {
    RecordRowCommand(QStringLiteral("Move Step Up"), [this] { m_rowCommands->MoveUp(); });
}

void StepTableEditor::MoveStepDown() {
    RecordRowCommand(QStringLiteral("Move Step Down"), [this] { m_rowCommands->MoveDown(); });
}

void StepTableEditor::CopySteps() {
    m_grid->CommitOpenEditor();
    if (m_rowCommands->Copy()) {
        UpdateControls();
    }
}

void StepTableEditor::PasteSteps() {
    RecordRowCommand(QStringLiteral("Paste Steps"), [this] { m_rowCommands->Paste(m_operator); });
}

void StepTableEditor::Undo() {
    WhenRowCommandsAllowed([this] { m_history->Undo(); });
}

void StepTableEditor::Redo() {
    WhenRowCommandsAllowed([this] { m_history->Redo(); });
}
