#pragma once

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "RecordingOperator.h"
#include "StepCellDelegate.h"
#include "StepGridView.h"
#include "StepSetupPanel.h"
#include "StepTable.h"
#include "StepTableEditor.h"
#include "TestFile.h"

// Failures show texts, not bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// The step table editor shown on the offscreen screen, driven by clicks and
// keys as an operator would.
class EditorFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the table; each step is given as its cells 1 ... 12, missing
    // trailing cells empty.
    void SetSteps(const QVector<QStringList>& steps);
    QStringList RowCells(int gridRow) const;  // columns 1 ... 12

    template <typename T>
    T* Find(const QString& name) const {
        T* widget = m_editor->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    StepGridView& Grid() const { return static_cast<StepGridView&>(*m_editor->GridView()); }
    StepSetupPanel& Panel() const { return m_editor->SetupPanel(); }

    void ClickButton(const QString& name);
    QPoint CellCenter(int gridRow, int column) const;
    void ClickCell(int gridRow, int column, Qt::MouseButton button = Qt::LeftButton);
    void DoubleClickCell(int gridRow, int column);
    void KeyOnGrid(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Types into a panel box or editable selector, replacing its text, and
    // moves on as the Tab key would.
    void Type(const QString& name, const QString& text);
    // Picks `text` in a panel selector.
    void Choose(const QString& name, const QString& text);
    // Fills each named entry: picks in a fixed selector, types elsewhere.
    void Enter(const QString& name, const QString& text);
    template <typename Entries>
    void Enter(const Entries& entries) {
        for (const auto& [name, text] : entries) {
            Enter(name, text);
        }
    }
    // The in-place editor open on the grid, if any.
    QWidget* CellEditor() const { return Grid().CellDelegate().OpenEditor(); }
    // Opens the action selector of row `gridRow`, picks `action` and leaves.
    void ChangeAction(int gridRow, const QString& action);
    // Types into the open cell text box and presses Enter.
    void TypeIntoCell(const QString& text);
    // Right-clicks row `gridRow` and clicks `item` ("COPY", "PASTE") in the
    // menu that opens.
    void ChooseFromMenu(int gridRow, const QString& item);

    TestDocument m_document;
    StepTable& m_table = m_document.Table();
    RecordingOperator m_operator;
    std::unique_ptr<StepTableEditor> m_editor;
};
