#include "EntryForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "ActionCatalogue.h"

namespace {
const QString kGotoPlaceholder = QStringLiteral("GotoCombo");
}

EntryForm::EntryForm(const QString& objectName, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), m_grid(new QGridLayout(this)) {
    setObjectName(objectName);
    // A frame takes the height of its rows; the panel's buttons follow it.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    m_grid->setColumnStretch(1, 1);
}

int EntryForm::NewRow(const QString& label, QLabel** labelWidget) {
    *labelWidget = new QLabel(label, this);
    m_grid->addWidget(*labelWidget, m_rowCount, 0);
    return m_rowCount++;
}

void EntryForm::Place(QWidget* entry, int rowIndex, QLabel* label, const QString& unit) {
    Row row;
    row.index = rowIndex;
    row.label = label;
    m_grid->addWidget(entry, rowIndex, 1);
    if (!unit.isEmpty()) {
        row.unit = new QLabel(unit, this);
        m_grid->addWidget(row.unit, rowIndex, 2);
    }
    if (label != nullptr) {
        label->setBuddy(entry);
    }
    m_rows.insert(entry, row);
}

QLineEdit* EntryForm::AddBox(const QString& label, const QString& name, const QString& initialText,
                             const QString& unit) {
    QLabel* labelWidget = nullptr;
    const int row = NewRow(label, &labelWidget);
    auto* box = new QLineEdit(initialText, this);
    box->setObjectName(name);
    Place(box, row, labelWidget, unit);
    return box;
}

QComboBox* EntryForm::AddSelector(const QString& label, const QString& name,
                                  const QStringList& items) {
    QLabel* labelWidget = nullptr;
    const int row = NewRow(label, &labelWidget);
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->addItems(items);
    Place(combo, row, labelWidget, QString());
    return combo;
}

QComboBox* EntryForm::AddGotoSelector(const QString& label, const QString& name) {
    QComboBox* combo = AddSelector(label, name, GoTo::Named());
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setEditText(kGotoPlaceholder);
    return combo;
}

QLineEdit* EntryForm::AddBoxBeside(QWidget* sibling, const QString& name,
                                   const QString& initialText, const QString& unit) {
    const Row siblingRow = m_rows.value(sibling);
    auto* box = new QLineEdit(initialText, this);
    box->setObjectName(name);
    Place(box, siblingRow.index, siblingRow.label, unit);
    return box;
}

QComboBox* EntryForm::AddSelectorBeside(QWidget* sibling, const QString& name,
                                        const QStringList& items) {
    const Row siblingRow = m_rows.value(sibling);
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->addItems(items);
    Place(combo, siblingRow.index, siblingRow.label, QString());
    return combo;
}

void EntryForm::SetEntryVisible(QWidget* entry, bool visible) {
    entry->setVisible(visible);
    if (QLabel* unit = UnitOf(entry)) {
        unit->setVisible(visible);
    }
}
