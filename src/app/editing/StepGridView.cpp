#include "StepGridView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "StepCellDelegate.h"
#include "StepRecord.h"
#include "StepTable.h"

namespace {
// Column widths are kept in twips; 15 twips make one pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
}  // namespace

StepGridView::StepGridView(StepTable& table, Operator& op, QWidget* parent)
    : QTableView(parent), m_table(table), m_delegate(new StepCellDelegate(table, op, this)) {
    setObjectName(QStringLiteral("TestStepGrid"));
    setModel(&table);
    setItemDelegate(m_delegate);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A click opens the editor (mouseReleaseEvent); F2 and Enter do too.
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setAlternatingRowColors(false);
    ApplyColumnLayout();
    connect(&table, &QAbstractItemModel::modelReset, this, [this] {
        // A reset forgets hidden columns, widths and the current index.
        ApplyColumnLayout();
        FollowCurrentRow(m_table.CurrentRow());
    });
    connect(&table, &StepTable::currentRowChanged, this, &StepGridView::FollowCurrentRow);
    // A step inserted at or above the current row carries the grid's current
    // index down with the old step, while the table's current row, which the
    // row commands act on, stays where it was.
    connect(&table, &QAbstractItemModel::rowsInserted, this, [this] {
        if (currentIndex().isValid() && currentIndex().row() + 1 != m_table.CurrentRow()) {
            FollowCurrentRow(m_table.CurrentRow());
        }
    });
    // A scrolled grid would leave the editor over the wrong cell's place.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &StepGridView::CommitOpenEditor);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &StepGridView::CommitOpenEditor);
    FollowCurrentRow(table.CurrentRow());
}

void StepGridView::ApplyColumnLayout() {
    for (int column = 0; column < StepColumn::Count; ++column) {
        setColumnHidden(column, StepTable::IsColumnHidden(column));
        if (!StepTable::IsColumnHidden(column)) {
            setColumnWidth(column, StepTable::ColumnWidthTwips(column) / kTwipsPerPixel);
        }
    }
}

void StepGridView::SetEditingLocked(bool locked) {
    if (locked) {
        CommitOpenEditor();
    }
    m_locked = locked;
}

void StepGridView::CommitOpenEditor() {
    m_delegate->CommitOpenEditor();
}

bool StepGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (m_locked || !index.isValid()) {
        return false;
    }
    const int gridRow = index.row() + 1;
    const QString action = m_table.Cell(gridRow, StepColumn::ActionMode);
    const CellEditRules::EditPlan plan = CellEditRules::PlanFor(index.column(), action);
    if (plan.kind == CellEditRules::EditorKind::None) {
        return false;
    }
    // Qt also asks here on every press and every move of the current cell;
    // only an editor that is about to open may preset its cell.
    const bool opens =
        trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger) != 0;
    if (opens && state() != QAbstractItemView::EditingState && !plan.presetWhenEmpty.isEmpty() &&
        m_table.Cell(gridRow, index.column()).isEmpty()) {
        m_table.SetCell(gridRow, index.column(), plan.presetWhenEmpty);
    }
    return QTableView::edit(index, trigger, event);
}

void StepGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!current.isValid()) {
        return;
    }
    m_reportingCurrentRow = true;
    m_table.SetCurrentRow(current.row() + 1);
    m_reportingCurrentRow = false;
}

void StepGridView::FollowCurrentRow(int gridRow) {
    // The operator's own moves need no help; the table's moves (the running
    // step, the row commands) are shown at the top of the grid.
    if (m_reportingCurrentRow || gridRow < 1) {
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : StepColumn::Step;
    const QModelIndex target = model()->index(gridRow - 1, column);
    selectionModel()->setCurrentIndex(
        target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target, QAbstractItemView::PositionAtTop);
}

int StepGridView::SelectionRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}

void StepGridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The menu works on the range already chosen; the click must not
        // change it.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        emit contextMenuRequested(event->globalPosition().toPoint());
        return;
    }
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_pressIndex = indexAt(event->position().toPoint());
        emit selectionStarted(SelectionRow());
    }
}

void StepGridView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // The range ends on the row under the pointer, or where the selection
    // stopped when the pointer left the rows.
    const QModelIndex released = indexAt(event->position().toPoint());
    emit selectionEnded(released.isValid() ? released.row() + 1 : SelectionRow());
    if (event->modifiers() & Qt::ShiftModifier) {
        // Shift stretches the highlight from its anchor row, which the press
        // did not record; the range must be the rows the operator sees.
        ReportKeyboardSelection();
    }
    // A click, not a drag over rows, opens the cell's editor.
    if (released.isValid() && released == m_pressIndex &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        edit(released, QAbstractItemView::AllEditTriggers, event);
    }
    m_pressIndex = QPersistentModelIndex();
}

void StepGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        index.column() == StepColumn::Step) {
        event->accept();
        if (!m_locked) {
            emit modifyRequested(index.row() + 1);
        }
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void StepGridView::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse menu opens on the button press; only the keyboard's menu key
    // arrives here.
    event->accept();
    if (event->reason() != QContextMenuEvent::Mouse) {
        const QRect cell = visualRect(currentIndex());
        const QPoint local = cell.isValid() ? cell.center() : QPoint(0, 0);
        emit contextMenuRequested(viewport()->mapToGlobal(local));
    }
}

void StepGridView::keyPressEvent(QKeyEvent* event) {
    if (HandleCommandKey(event)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    if (event->modifiers() & Qt::ShiftModifier || event->matches(QKeySequence::SelectAll)) {
        ReportKeyboardSelection();
    }
}

bool StepGridView::HandleCommandKey(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return true;
    }
    if (m_locked) {
        return false;
    }
    if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
        return true;
    }
    switch (event->key()) {
        case Qt::Key_Delete:
            emit deleteRequested();
            return true;
        case Qt::Key_Insert:
            emit insertRequested();
            return true;
        case Qt::Key_Up:
            if (control) {
                emit moveUpRequested();
                return true;
            }
            break;
        case Qt::Key_Down:
            if (control) {
                emit moveDownRequested();
                return true;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (state() != QAbstractItemView::EditingState && currentIndex().isValid()) {
                edit(currentIndex(), QAbstractItemView::EditKeyPressed, event);
                return true;
            }
            break;
        default:
            break;
    }
    return false;
}

void StepGridView::ReportKeyboardSelection() {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    int first = rows.first().row();
    int last = first;
    for (const QModelIndex& index : rows) {
        first = qMin(first, index.row());
        last = qMax(last, index.row());
    }
    emit selectionExtended(first + 1, last + 1);
}
