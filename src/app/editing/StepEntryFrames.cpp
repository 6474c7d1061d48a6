#include "StepEntryFrames.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <utility>

#include "ActionCatalogue.h"
#include "EntryForm.h"
#include "NumberText.h"
#include "Operator.h"
#include "StepLimits.h"
#include "StepTable.h"

using StepEntryMap::Entry;
using StepEntryMap::EntryKind;

namespace {
// Marks a selector item that only shows a step's text the list lacks.
constexpr int kForeignItemRole = Qt::UserRole + 1;

// The corrections a box makes to a number it takes.
QString Corrected(const QString& text, EntryKind kind) {
    switch (kind) {
        case EntryKind::Time:
            return MinutesSecondsToSeconds(text);
        case EntryKind::PulseTime:
            return ClampEntry(text, kPulseTimeRange);
        case EntryKind::CycleCount:
            return ClampEntry(text, kCycleCountRange);
        default:
            return text;
    }
}
}  // namespace

StepEntryFrames::StepEntryFrames(QWidget* owner, QVBoxLayout* layout, Operator& op)
    : QObject(owner), m_operator(op) {
    for (const StepEntryMap::Frame& frame : StepEntryMap::Frames()) {
        auto* form = new EntryForm(QString::fromLatin1(frame.name),
                                   QString::fromLatin1(frame.caption), owner);
        m_frames.insert(form->objectName(), form);
        layout->addWidget(form);
        QWidget* previous = nullptr;
        for (const Entry* entry : frame.entries) {
            previous = BuildEntry(form, *entry, previous);
            m_widgets.insert(entry, previous);
        }
    }
}

QWidget* StepEntryFrames::BuildEntry(EntryForm* form, const Entry& entry, QWidget* previous) {
    const QString name = QString::fromLatin1(entry.name);
    const bool beside = entry.label == nullptr;
    const QString label = beside ? QString() : QString::fromLatin1(entry.label);
    if (entry.kind == EntryKind::GoTo) {
        return form->AddGotoSelector(label, name);
    }
    if (!entry.IsBox()) {
        const bool loadLevel = entry.kind == EntryKind::LoadLevelMode;
        const QStringList& modes = loadLevel ? LoadMode::LoadLevel() : LoadMode::Basic();
        QComboBox* combo = beside ? form->AddSelectorBeside(previous, name, modes)
                                  : form->AddSelector(label, name, modes);
        if (loadLevel) {
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setEditText(Action::kLoadLevel);
        }
        return combo;
    }
    const QString unit = entry.unit == nullptr ? QString() : QString::fromLatin1(entry.unit);
    const QString initial = QString::fromLatin1(entry.initial);
    QLineEdit* box = beside ? form->AddBoxBeside(previous, name, initial, unit)
                            : form->AddBox(label, name, initial, unit);
    m_acceptedTexts.insert(box, initial);
    connect(box, &QLineEdit::editingFinished, this, [this, box, &entry] { AcceptBox(box, entry); });
    return box;
}

void StepEntryFrames::ShowFrameOf(const QString& action) {
    const QString shown = StepEntryMap::FrameOf(action);
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it) {
        it.value()->setVisible(it.key() == shown);
    }
}

QComboBox* StepEntryFrames::Selector(const Entry& entry) const {
    return qobject_cast<QComboBox*>(Widget(entry));
}

QLineEdit* StepEntryFrames::Box(const Entry& entry) const {
    return qobject_cast<QLineEdit*>(Widget(entry));
}

QString StepEntryFrames::Text(const Entry& entry) const {
    if (const QLineEdit* box = Box(entry)) {
        return box->text();
    }
    const QComboBox* combo = Selector(entry);
    return combo == nullptr ? QString() : combo->currentText();
}

void StepEntryFrames::SetText(const Entry& entry, const QString& text) {
    if (QLineEdit* box = Box(entry)) {
        box->setText(text);
        m_acceptedTexts.insert(box, text);
        return;
    }
    QComboBox* combo = Selector(entry);
    if (combo == nullptr) {
        return;
    }
    if (combo->isEditable()) {
        combo->setCurrentIndex(combo->findText(text));
        combo->setEditText(text);
        return;
    }
    for (int i = combo->count() - 1; i >= 0; --i) {
        if (combo->itemData(i, kForeignItemRole).toBool()) {
            combo->removeItem(i);
        }
    }
    int index = combo->findText(text);
    if (index < 0 && !text.isEmpty()) {
        combo->addItem(text);
        index = combo->count() - 1;
        combo->setItemData(index, true, kForeignItemRole);
    }
    combo->setCurrentIndex(index);
}

bool StepEntryFrames::AcceptBox(QLineEdit* box, const Entry& entry) {
    // Only typed text is judged: what a step brought in stays as it was read
    // (setting a text clears the modified flag).
    const bool typed = box->isModified();
    if (typed && !IsNumberEntry(box->text(), entry.kind == EntryKind::Time)) {
        m_lastTypingRefused = true;
        // The old text goes back before the message takes the focus, so that
        // the box, left once more, has nothing typed to refuse.
        box->setText(m_acceptedTexts.value(box));
        m_operator.ShowMessage(
            QStringLiteral("%1 must be a number.").arg(QString::fromLatin1(entry.quantity)));
        box->setFocus();
        box->selectAll();
        return false;
    }
    if (typed) {
        m_lastTypingRefused = false;
    }
    box->setText(Corrected(box->text(), entry.kind));
    m_acceptedTexts.insert(box, box->text());
    return true;
}

bool StepEntryFrames::AcceptTypedEntries(const QString& action) {
    const StepEntryMap::ActionEntries* columns = StepEntryMap::EntriesOf(action);
    if (columns == nullptr) {
        return true;
    }
    // A refusal holds up one commit: the one its own click would make.
    const bool refusedBefore = std::exchange(m_lastTypingRefused, false);
    // A commit by keyboard may come before the box was left.
    for (const StepEntryMap::ColumnEntry& column : *columns) {
        QLineEdit* box = column.entry == nullptr ? nullptr : Box(*column.entry);
        if (box != nullptr && !AcceptBox(box, *column.entry)) {
            m_lastTypingRefused = false;
            return false;
        }
    }
    return !refusedBefore;
}

void StepEntryFrames::WriteColumns(StepTable& table, int gridRow, const QString& action) const {
    const StepEntryMap::ActionEntries* columns = StepEntryMap::EntriesOf(action);
    if (columns == nullptr) {
        return;
    }
    for (int i = 0; i < StepEntryMap::kColumnCount; ++i) {
        const StepEntryMap::ColumnEntry& column = (*columns)[static_cast<size_t>(i)];
        const int gridColumn = StepEntryMap::kFirstColumn + i;
        switch (column.source) {
            case StepEntryMap::Source::Untouched:
                break;
            case StepEntryMap::Source::Empty:
                table.SetCell(gridRow, gridColumn, QString());
                break;
            case StepEntryMap::Source::Text:
                // A box's text is kept as typed, but with a decimal point: the
                // run reads "2,5" as 2.
                table.SetCell(gridRow, gridColumn,
                              column.entry->IsBox() ? DecimalPointText(Text(*column.entry))
                                                    : Text(*column.entry));
                break;
            case StepEntryMap::Source::Number:
                table.SetCell(gridRow, gridColumn, NumberText(EntryValue(Text(*column.entry))));
                break;
        }
    }
}

void StepEntryFrames::ReadColumns(const StepTable& table, int gridRow, const QString& action) {
    const StepEntryMap::ActionEntries* columns = StepEntryMap::EntriesOf(action);
    if (columns == nullptr) {
        return;
    }
    for (int i = 0; i < StepEntryMap::kColumnCount; ++i) {
        const StepEntryMap::ColumnEntry& column = (*columns)[static_cast<size_t>(i)];
        if (column.entry != nullptr) {
            SetText(*column.entry, table.Cell(gridRow, StepEntryMap::kFirstColumn + i));
        }
    }
}
