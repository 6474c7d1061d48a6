#pragma once

#include <QString>
#include <array>
#include <vector>

// The one table that ties the step setup panel to the step table's columns:
// the entry frames with their entries, and per action which frame shows and
// which entry each column is written from on commit and read back into on
// modify. The panel builds its frames from it and the in-grid editor reads a
// column's meaning from it, so the two cannot drift apart. Pure data.
namespace StepEntryMap {

enum class EntryKind {
    Number,         // a box for a number
    Time,           // a box for seconds that takes minutes:seconds too
    PulseTime,      // a box for a pulse time in ms, clamped into its range
    CycleCount,     // a box for the pulse count, clamped into its range
    ModeSelector,   // "CC", "CR", "CV", "CP"
    LoadLevelMode,  // editable: "CC", "LINCC", "CR", "CV", "CP"
    GoTo,           // editable: a named target or a step number
};

struct Entry {
    const char* name;      // object name of the box or selector
    const char* label;     // label in front; nullptr: in the row of the entry before
    const char* initial;   // a box's text when the window opens
    const char* unit;      // unit label behind it, or nullptr
    const char* quantity;  // what it holds, as messages name it ("Stop voltage")
    EntryKind kind;

    bool IsBox() const {
        return kind != EntryKind::ModeSelector && kind != EntryKind::LoadLevelMode &&
               kind != EntryKind::GoTo;
    }
};

struct Frame {
    const char* name;
    const char* caption;
    std::vector<const Entry*> entries;  // in the order shown
};

enum class Source {
    Untouched,  // the column keeps what it holds
    Empty,      // the column is cleared
    Text,       // the entry's text as typed
    Number      // the entry's numeric value as shortest decimal text
};

struct ColumnEntry {
    Source source = Source::Untouched;
    const Entry* entry = nullptr;  // set for Text and Number
};

// Columns 2 ("Mode") to 12 ("PF").
constexpr int kFirstColumn = 2;
constexpr int kColumnCount = 11;
using ActionEntries = std::array<ColumnEntry, kColumnCount>;

// Every entry frame of the panel, in the order they are laid out.
const std::vector<Frame>& Frames();

// The entries of `action`, or nullptr for a name the panel does not know.
const ActionEntries* EntriesOf(const QString& action);

// Object name of the entry frame that `action` shows; "" when none.
QString FrameOf(const QString& action);

// The entry column `column` of an `action` step is written from; nullptr
// when the panel writes it from none.
const Entry* EntryOfColumn(const QString& action, int column);

// Entries the panel gives behaviour of their own.
extern const Entry kDisChargeMode;
extern const Entry kDisChargeCurrent;
extern const Entry kDisChargeGoto;
extern const Entry kSuspendGoto;
extern const Entry kChargeGoto;
extern const Entry kPlusLoadGoto;
extern const Entry kRampOffMode;
extern const Entry kRampOffValue;
extern const Entry kRampOnMode;
extern const Entry kRampOnValue;
extern const Entry kLoadLevelMode;
extern const Entry kLoadValue;
extern const Entry kSharedTime;
extern const Entry kSharedMeasure;
extern const Entry kFrequency;
extern const Entry kCrestFactor;
extern const Entry kPowerFactor;

}  // namespace StepEntryMap
