#pragma once

#include <QGroupBox>
#include <QHash>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// One entry frame of the step setup panel: a captioned box of rows, each a
// label, an entry (text box or selector) and an optional unit label. Two
// entries may share a row when only one of them is shown at a time.
class EntryForm : public QGroupBox {
    Q_OBJECT

  public:
    EntryForm(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    QLineEdit* AddBox(const QString& label, const QString& name, const QString& initialText,
                      const QString& unit = QString());
    QComboBox* AddSelector(const QString& label, const QString& name, const QStringList& items);
    // An editable selector of the go-to targets, starting with the text
    // "GotoCombo" until a target is chosen.
    QComboBox* AddGotoSelector(const QString& label, const QString& name);

    // Entries placed in the row of `sibling`, sharing its label.
    QLineEdit* AddBoxBeside(QWidget* sibling, const QString& name, const QString& initialText,
                            const QString& unit = QString());
    QComboBox* AddSelectorBeside(QWidget* sibling, const QString& name, const QStringList& items);

    QLabel* LabelOf(QWidget* entry) const { return m_rows.value(entry).label; }
    QLabel* UnitOf(QWidget* entry) const { return m_rows.value(entry).unit; }
    // Shows or hides an entry together with its unit label.
    void SetEntryVisible(QWidget* entry, bool visible);

  private:
    struct Row {
        int index = -1;
        QLabel* label = nullptr;
        QLabel* unit = nullptr;
    };
    void Place(QWidget* entry, int rowIndex, QLabel* label, const QString& unit);
    int NewRow(const QString& label, QLabel** labelWidget);

    QGridLayout* m_grid;
    int m_rowCount = 0;
    QHash<QWidget*, Row> m_rows;
};
