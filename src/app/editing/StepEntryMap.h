#pragma once

#include <QString>
#include <array>

// How the setup panel's entries map onto the step table's columns, per
// action: which entry frame shows, which entry a column is written from on
// commit and read back into on modify. Pure data.
namespace StepEntryMap {

enum class Source {
    Untouched,  // the column keeps what it holds
    Empty,      // the column is cleared
    Text,       // the entry's text as typed
    Number      // the entry's numeric value as shortest decimal text
};

struct ColumnEntry {
    Source source = Source::Untouched;
    const char* entry = nullptr;  // object name of the box or selector
};

// Columns 2 ("Mode") to 12 ("PF").
constexpr int kFirstColumn = 2;
constexpr int kColumnCount = 11;
using ActionEntries = std::array<ColumnEntry, kColumnCount>;

// The entries of `action`, or nullptr for a name the panel does not know.
const ActionEntries* EntriesOf(const QString& action);

// Object name of the entry frame that `action` shows; "" when none.
QString FrameOf(const QString& action);

}  // namespace StepEntryMap
