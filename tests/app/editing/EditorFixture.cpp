#include "EditorFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "ActionCatalogue.h"
#include "StepRecord.h"

void EditorFixture::SetUp() {
    m_editor = std::make_unique<StepTableEditor>(m_table, m_operator);
    m_editor->SetNameLists(Action::All(), LoadMode::Basic(), {"High", "Low"});
    m_editor->resize(1500, 700);
    m_editor->show();
    m_editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor.get()));
}

void EditorFixture::TearDown() {
    m_editor.reset();
}

void EditorFixture::SetSteps(const QVector<QStringList>& steps) {
    QVector<StepTable::Cells> rows;
    for (const QStringList& step : steps) {
        StepTable::Cells cells;
        for (int i = 0; i < step.size() && i < kStepFieldCount; ++i) {
            cells[static_cast<size_t>(i)] = step[i];
        }
        rows.push_back(cells);
    }
    m_table.ReplaceAll(rows);
    QApplication::processEvents();
}

QStringList EditorFixture::RowCells(int gridRow) const {
    QStringList cells;
    for (int column = 1; column < StepColumn::Count; ++column) {
        cells << m_table.Cell(gridRow, column);
    }
    return cells;
}

void EditorFixture::ClickButton(const QString& name) {
    QPushButton* button = Find<QPushButton>(name);
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

QPoint EditorFixture::CellCenter(int gridRow, int column) const {
    const QModelIndex index = m_table.index(gridRow - 1, column);
    Grid().scrollTo(index);
    return Grid().visualRect(index).center();
}

void EditorFixture::ClickCell(int gridRow, int column, Qt::MouseButton button) {
    QTest::mouseClick(Grid().viewport(), button, Qt::NoModifier, CellCenter(gridRow, column));
}

void EditorFixture::DoubleClickCell(int gridRow, int column) {
    const QPoint at = CellCenter(gridRow, column);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(Grid().viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void EditorFixture::KeyOnGrid(int key, Qt::KeyboardModifiers modifiers) {
    Grid().setFocus();
    QTest::keyClick(&Grid(), static_cast<Qt::Key>(key), modifiers);
}

void EditorFixture::Type(const QString& name, const QString& text) {
    QWidget* entry = Find<QWidget>(name);
    ASSERT_TRUE(entry->isVisible()) << name.toStdString();
    QLineEdit* box = qobject_cast<QLineEdit*>(entry);
    if (box == nullptr) {
        box = qobject_cast<QComboBox*>(entry)->lineEdit();
    }
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    // Leaving the box runs its handlers, as the Tab key would.
    QTest::keyClick(box, Qt::Key_Tab);
}

void EditorFixture::Choose(const QString& name, const QString& text) {
    QComboBox* combo = Find<QComboBox>(name);
    ASSERT_TRUE(combo->isVisible()) << name.toStdString();
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
}

void EditorFixture::Enter(const QString& name, const QString& text) {
    auto* combo = m_editor->findChild<QComboBox*>(name);
    if (combo != nullptr && !combo->isEditable()) {
        Choose(name, text);
    } else {
        Type(name, text);
    }
}

void EditorFixture::ChangeAction(int gridRow, const QString& action) {
    ClickCell(gridRow, 1);
    auto* combo = qobject_cast<QComboBox*>(CellEditor());
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(combo->findText(action));
    ClickCell(gridRow, 0);
    ASSERT_EQ(CellEditor(), nullptr);
}

void EditorFixture::TypeIntoCell(const QString& text) {
    auto* box = qobject_cast<QLineEdit*>(CellEditor());
    ASSERT_NE(box, nullptr);
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
}

void EditorFixture::ChooseFromMenu(int gridRow, const QString& item) {
    ClickCell(gridRow, 0, Qt::RightButton);
    QMenu* menu = m_editor->RightMenu();
    ASSERT_TRUE(menu->isVisible());
    QAction* action = menu->findChild<QAction*>(item);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << item.toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
    QApplication::processEvents();
}
