#include "StepCellDelegate.h"

#include <QComboBox>
#include <QLineEdit>

#include "ActionCatalogue.h"
#include "Operator.h"
#include "StepEditHistory.h"
#include "StepLimits.h"
#include "StepRecord.h"
#include "StepTable.h"

namespace {
const QString kParallelCvMessage = QStringLiteral("並聯不可使用CV模式, 請重新選擇模式");

QString EditorText(const QWidget* editor) {
    if (const auto* combo = qobject_cast<const QComboBox*>(editor)) {
        return combo->currentText();
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(editor)) {
        return box->text();
    }
    return QString();
}

// Shows `text` in a drop-down list even when the list does not hold it, so
// that committing an untouched selector never loses what the cell held.
void ShowInList(QComboBox* combo, const QString& text) {
    int found = combo->findText(text);
    if (found < 0) {
        combo->insertItem(0, text);
        found = 0;
    }
    combo->setCurrentIndex(found);
}
}  // namespace

StepCellDelegate::StepCellDelegate(StepTable& table, Operator& op, QObject* parent)
    : QStyledItemDelegate(parent), m_table(table), m_operator(op) {}

CellEditRules::EditPlan StepCellDelegate::PlanOf(const QModelIndex& index) const {
    if (!index.isValid()) {
        return CellEditRules::EditPlan();
    }
    const QString action = m_table.Cell(index.row() + 1, StepColumn::ActionMode);
    return CellEditRules::PlanFor(index.column(), action);
}

QWidget* StepCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    const CellEditRules::EditPlan plan = PlanOf(index);
    QWidget* editor = nullptr;
    switch (plan.kind) {
        case CellEditRules::EditorKind::None:
            return nullptr;
        case CellEditRules::EditorKind::TextBox:
            editor = CreateTextBox(parent, plan);
            break;
        default:
            editor = CreateSelector(parent, plan);
            break;
    }
    m_openEditor = editor;
    m_openPlan = plan;
    return editor;
}

QWidget* StepCellDelegate::CreateSelector(QWidget* parent,
                                          const CellEditRules::EditPlan& plan) const {
    auto* combo = new QComboBox(parent);
    auto* self = const_cast<StepCellDelegate*>(this);
    switch (plan.kind) {
        case CellEditRules::EditorKind::ActionSelector:
            combo->setObjectName(QStringLiteral("TestStepActionCombo"));
            combo->addItems(m_actionNames);
            break;
        case CellEditRules::EditorKind::ModeSelector:
            combo->setObjectName(QStringLiteral("TestStepModeCombo"));
            combo->addItems(m_loadModeNames);
            connect(combo, &QComboBox::activated, self,
                    [self, combo] { self->RefuseParallelCv(combo); });
            break;
        default:
            combo->setObjectName(QStringLiteral("GotoCombo"));
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(GoTo::Named());
            break;
    }
    // Choosing an item finishes the edit; typing into the go-to selector
    // finishes with Enter or when the focus leaves.
    connect(combo, &QComboBox::activated, self, [self, combo] { self->CommitEditor(combo); });
    return combo;
}

QWidget* StepCellDelegate::CreateTextBox(QWidget* parent,
                                         const CellEditRules::EditPlan& plan) const {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("TestStepInputText"));
    if (plan.toolTip != CellEditRules::ToolTipKind::None) {
        const CellEditRules::ToolTipKind kind = plan.toolTip;
        connect(box, &QLineEdit::textChanged, box, [box, kind](const QString& text) {
            box->setToolTip(CellEditRules::ToolTipText(kind, text));
        });
    }
    return box;
}

void StepCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QString cellText = m_table.Cell(index.row() + 1, index.column());
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->isEditable()) {
            combo->setEditText(cellText);
        } else {
            ShowInList(combo, cellText);
        }
    } else if (auto* box = qobject_cast<QLineEdit*>(editor)) {
        const CellEditRules::EditPlan plan = PlanOf(index);
        box->setText(CellEditRules::InitialText(plan, cellText));
        box->setToolTip(CellEditRules::ToolTipText(plan.toolTip, box->text()));
        box->selectAll();
    }
}

void StepCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const {
    const int gridRow = index.row() + 1;
    const int column = index.column();
    const CellEditRules::EditPlan plan = PlanOf(index);
    const QString typed = EditorText(editor);
    if (plan.kind == CellEditRules::EditorKind::TextBox &&
        !IsNumberEntry(typed, column == StepColumn::DwellTime)) {
        RefuseText(gridRow, column);
        return;
    }
    const QString old = m_table.Cell(gridRow, column);
    const QString text = CellEditRules::StoredText(column, plan.kind, typed);
    const auto write = [&] {
        m_table.SetCell(gridRow, column, text);
        if (column == StepColumn::ActionMode) {
            CellEditRules::TidyRowForAction(m_table, gridRow, old, text);
        }
    };
    if (m_history == nullptr) {
        write();
        return;
    }
    m_history->Record(column == StepColumn::ActionMode ? QStringLiteral("Change Action")
                                                       : QStringLiteral("Edit Cell"),
                      write);
}

void StepCellDelegate::RefuseText(int gridRow, int column) const {
    // The message takes the focus from the editor, whose commit lands here
    // again; the cell keeps its text and the operator hears of it once.
    if (m_refusing) {
        return;
    }
    m_refusing = true;
    const QString action = m_table.Cell(gridRow, StepColumn::ActionMode);
    m_operator.ShowMessage(
        QStringLiteral("%1 must be a number.").arg(CellEditRules::QuantityName(action, column)));
    m_refusing = false;
}

void StepCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (m_openEditor == editor) {
        m_openEditor = nullptr;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void StepCellDelegate::CommitOpenEditor() {
    if (m_openEditor) {
        CommitEditor(m_openEditor);
    }
}

void StepCellDelegate::CommitEditor(QWidget* editor) {
    // An editor is committed once: the focus it loses while closing must not
    // write it again.
    if (editor == nullptr || editor != m_openEditor) {
        return;
    }
    m_openEditor = nullptr;
    emit commitData(editor);
    emit closeEditor(editor);
}

void StepCellDelegate::RefuseParallelCv(QComboBox* modeSelector) const {
    if (modeSelector->currentText() != LoadMode::kCV || m_channelsInUse < 2) {
        return;
    }
    // Back to CC before the message takes the focus, so that the commit the
    // lost focus causes writes CC.
    ShowInList(modeSelector, LoadMode::kCC);
    m_operator.ShowMessage(kParallelCvMessage);
}

void StepCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == StepColumn::Step) {
        // The step numbers look like the fixed column of the grid.
        option->backgroundBrush = option->palette.button();
        option->state &= ~QStyle::State_Selected;
    } else if (index.data(StepTable::kHighlightRole).toBool()) {
        // The running step keeps its colour even while it is the selected row.
        option->backgroundBrush = QColor::fromRgb(StepTable::kHighlightRgb);
        option->state &= ~QStyle::State_Selected;
    }
}
