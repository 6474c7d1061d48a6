#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "StepEntryMap.h"

class EntryForm;
class Operator;
class QComboBox;
class QLineEdit;
class QVBoxLayout;
class QWidget;
class StepTable;

// The entry frames of the step setup panel, built from the entry table, and
// the texts of their entries: what a step's columns are written from and read
// back into. A box refuses text that is no number when it is left, naming
// the entry and keeping the text it had; time boxes take minutes:seconds and
// the pulse boxes clamp their numbers into range.
class StepEntryFrames : public QObject {
    Q_OBJECT

  public:
    // Builds every frame into `layout`, with `owner` as their parent.
    StepEntryFrames(QWidget* owner, QVBoxLayout* layout, Operator& op);

    EntryForm* FrameNamed(const QString& name) const { return m_frames.value(name); }
    // Shows the frame of `action` and hides the others.
    void ShowFrameOf(const QString& action);

    QWidget* Widget(const StepEntryMap::Entry& entry) const { return m_widgets.value(&entry); }
    QComboBox* Selector(const StepEntryMap::Entry& entry) const;
    QLineEdit* Box(const StepEntryMap::Entry& entry) const;
    QString Text(const StepEntryMap::Entry& entry) const;
    // A selector shows a text its list does not hold as it is, so that a step
    // read back is committed unchanged.
    void SetText(const StepEntryMap::Entry& entry, const QString& text);

    // Takes what was typed into the boxes of `action` and not yet left;
    // false when one of them refuses its text, or when the last text typed
    // anywhere was refused: the operator sees the text kept before the step
    // goes into the table.
    bool AcceptTypedEntries(const QString& action);
    // A new step is composed: earlier refusals hold nothing up.
    void ForgetRefusals() { m_lastTypingRefused = false; }
    // Writes columns 2 ... 12 of `gridRow` from the entries of `action`.
    void WriteColumns(StepTable& table, int gridRow, const QString& action) const;
    // Loads the entries of `action` from columns 2 ... 12 of `gridRow`.
    void ReadColumns(const StepTable& table, int gridRow, const QString& action);

  private:
    QWidget* BuildEntry(EntryForm* form, const StepEntryMap::Entry& entry, QWidget* previous);
    bool AcceptBox(QLineEdit* box, const StepEntryMap::Entry& entry);

    Operator& m_operator;
    QHash<QString, EntryForm*> m_frames;
    QHash<const StepEntryMap::Entry*, QWidget*> m_widgets;
    // The last text each box took, given back when a text is refused.
    QHash<QLineEdit*, QString> m_acceptedTexts;
    bool m_lastTypingRefused = false;
};
