#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

class IniFile;

// The limits a test must never cross, whatever its steps do: the
// [Safety Limits] section of a test file. A missing key, or one with an empty
// value, is no limit. Older programs ignore the section; this one keeps it
// when it saves.
struct SafetyLimits {
    // What a run does when a limit is crossed (after the load is off).
    enum class Action { Stop, Pause };

    std::optional<double> minVoltage;   // V, each phase
    std::optional<double> maxVoltage;   // V, each phase
    std::optional<double> maxCurrent;   // A, total of the phases
    std::optional<double> maxPower;     // W, total of the phases
    std::optional<double> maxTestTime;  // seconds since the run started
    Action action = Action::Stop;

    // Values the file held that are no limit this program can use ("abc",
    // "-5", "Halt"), by key, as written. They are written back unchanged, and
    // a run does not start while any is left.
    QMap<QString, QString> unreadable;

    bool HasLimit() const;
    // "Safety Limits: MaxVoltage "abc" is not a number." and the like; empty
    // when the limits can be used.
    QStringList Problems() const;

    bool operator==(const SafetyLimits& other) const;
    bool operator!=(const SafetyLimits& other) const { return !(*this == other); }
};

inline const QString kSafetyLimitsSection = QStringLiteral("Safety Limits");

// The keys of the section, in the order they are written.
const QStringList& SafetyLimitKeys();

// The value of a limit key as the file spells it: a number, "Stop" or "Pause",
// or "" for no limit.
QString SafetyLimitText(const SafetyLimits& limits, const QString& key);

// Reads one key's text into `limits` (as the file and the window's dialog
// give it); a decimal comma reads as a point. Text that is no usable value is
// kept in `unreadable`.
void SetSafetyLimitText(SafetyLimits* limits, const QString& key, const QString& text);

SafetyLimits ReadSafetyLimits(const IniFile& ini);
// Writes every key that holds a limit (or a kept unreadable value) and
// removes the others; a file without limits gets no section.
void WriteSafetyLimits(IniFile& ini, const SafetyLimits& limits);
