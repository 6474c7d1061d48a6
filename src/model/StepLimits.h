#pragma once

#include <QString>
#include <QStringList>

// Corrections and checks of the step entries an operator types. Pure logic:
// the setup panel and the in-grid editor feed the box texts in and write the
// corrected texts back.

// A time entry typed as minutes:seconds ("1:30", ":45") becomes seconds ("90",
// "45"); parts after the second are ignored ("2:15:30" gives "135"). A text
// without a colon is returned as typed, so plain seconds pass untouched.
QString MinutesSecondsToSeconds(const QString& text);

// Seconds written as h:mm:ss for the dwell-time tooltip: 90 gives "0:01:30",
// 3725.5 gives "1:02:05.5".
QString SecondsAsClock(double seconds);

// Milliseconds written as seconds with the unit: "500" gives "0.5 Second".
QString MillisecondsAsSecondsText(const QString& millisecondsText);

// A number typed with a decimal comma ("1,5") read with a point ("1.5"); a
// text that already holds a point is returned as it is.
QString DecimalPointText(const QString& text);

// Numeric value of an entry the way the panel stores it: the leading number
// of its decimal-point text, 0 when there is none.
double EntryValue(const QString& text);

// True when an entry holds a number the run can take from it: text that
// begins with a number, with a decimal point or a decimal comma ("2.5",
// "2,5", "2.5V"), and for a time entry also minutes:seconds ("1:30", ":45").
// An empty entry passes: nothing was typed.
bool IsNumberEntry(const QString& text, bool timeEntry);

// The range of a clamped entry and the texts written when a value leaves it.
struct EntryRange {
    double minimum;
    double maximum;
    const char* minimumText;
    const char* maximumText;
};

// Pulsed-load entries: the cycle count and the high and low times (ms).
inline constexpr EntryRange kCycleCountRange{1, 2400, "1", "2400"};
inline constexpr EntryRange kPulseTimeRange{0.05, 9999, "0.05", "9999"};

// The load value range the load-level check enforces for `mode`: CC and
// LINCC 0 to 112.5 A, CR 0.533 to 10666 ohm, CV 50 to 350 V, CP 0 to
// 15000 W. Null for a text that names no load-level mode.
const EntryRange* LoadLevelValueRange(const QString& mode);

// The entry's text when its value lies inside the range, else the text of the
// bound it passed. A text without a leading number counts as 0.
QString ClampEntry(const QString& text, const EntryRange& range);

// The texts of the load-level boxes of the setup panel.
struct LoadLevelEntries {
    QString mode;
    QString loadValue;
    QString dwellTime;
    QString measureTime;
    QString frequency;
};

// Which box should take the input focus after a failed check.
enum class LoadLevelFocus { None, LoadValue, DwellTime };

struct LoadLevelCheck {
    bool valid = true;
    QStringList messages;        // in the order they are shown
    LoadLevelEntries corrected;  // the box texts after the corrections
    LoadLevelFocus focus = LoadLevelFocus::None;
};

// Title of every load-level message box.
inline const QString kLoadLevelWarningTitle = QStringLiteral("Warning!");

// Tests the load-level entries against the limits of their mode. A box whose
// text does not begin with a number fails like a value out of range. A failed
// load value, measure time or frequency is reset to its bound; a failed dwell
// time is left as typed and asks for the focus itself, so the operator can
// correct what was typed.
LoadLevelCheck CheckLoadLevel(const LoadLevelEntries& entries);
