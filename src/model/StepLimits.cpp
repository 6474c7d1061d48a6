#include "StepLimits.h"

#include <cmath>
#include <optional>

#include "ActionCatalogue.h"
#include "NumberText.h"

namespace {
// A range, the message shown when an entry leaves it, and whether the entry
// is then reset to the range's lower bound.
struct LimitRule {
    EntryRange range;
    const char* message;
    bool resetsToMinimum;
};

constexpr LimitRule kCurrentRule{{0, 112.5, "0", "112.5"}, "Load Level must 0 ~ 112.5(A) !", true};
constexpr LimitRule kResistanceRule{
    {0.533, 10666, "0.533", "10666"}, "Load Level must 0.533 ~ 10666(ohm) !", true};
constexpr LimitRule kVoltageRule{{50, 350, "50", "350"}, "Load Level must 50 ~ 350(Vrms) !", true};
constexpr LimitRule kPowerRule{{0, 15000, "0", "15000"}, "Load Level must 0 ~ 15000(W) !", true};
constexpr LimitRule kDwellRule{{0, 86400, "0", "86400"}, "Dwell Time must 0 ~ 86400 !", false};
constexpr LimitRule kMeasureRule{
    {0.1, 86400, "0.1", "86400"}, "Load Level Meas Time must 0.1 ~ 86400 !", true};
constexpr LimitRule kFrequencyRule{{40, 440, "40", "440"}, "Frequency must 40 ~ 440!", true};

const QString kModeError = QStringLiteral("Load Mode ERROR !");

// From here on a number of seconds carries no fraction worth showing.
constexpr double kWholeSecondsOnly = 1e12;

const LimitRule* LoadValueRule(const QString& mode) {
    if (mode == LoadMode::kCC || mode == LoadMode::kLinCC) {
        return &kCurrentRule;
    }
    if (mode == LoadMode::kCR) {
        return &kResistanceRule;
    }
    if (mode == LoadMode::kCV) {
        return &kVoltageRule;
    }
    if (mode == LoadMode::kCP) {
        return &kPowerRule;
    }
    return nullptr;
}

// A box that holds no number is as wrong as one out of range.
bool Passes(const QString& text, const LimitRule& rule) {
    const std::optional<double> value = LeadingNumber(DecimalPointText(text));
    return value && *value >= rule.range.minimum && *value <= rule.range.maximum;
}

class LoadLevelChecker {
  public:
    explicit LoadLevelChecker(const LoadLevelEntries& entries) {
        m_result.corrected = entries;
        m_result.corrected.loadValue = DecimalPointText(entries.loadValue);
    }

    // Tests `text`; on failure reports, resets the box when the rule says how
    // and asks for the focus.
    void Test(QString& text, const LimitRule& rule, LoadLevelFocus focus) {
        if (Passes(text, rule)) {
            return;
        }
        Fail(QString::fromLatin1(rule.message), focus);
        if (rule.resetsToMinimum) {
            text = QString::fromLatin1(rule.range.minimumText);
        }
    }

    void Fail(const QString& message, LoadLevelFocus focus) {
        m_result.valid = false;
        m_result.messages << message;
        if (focus != LoadLevelFocus::None) {
            m_result.focus = focus;
        }
    }

    LoadLevelCheck& Result() { return m_result; }

  private:
    LoadLevelCheck m_result;
};
}  // namespace

const EntryRange* LoadLevelValueRange(const QString& mode) {
    const LimitRule* rule = LoadValueRule(mode);
    return rule != nullptr ? &rule->range : nullptr;
}

QString MinutesSecondsToSeconds(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2) {
        return text;
    }
    const double minutes = EntryValue(parts[0]);
    const double seconds = EntryValue(parts[1]);
    return NumberText(KeepFourDecimals(minutes * 60.0 + seconds));
}

QString SecondsAsClock(double seconds) {
    if (!std::isfinite(seconds)) {
        return QStringLiteral("0:00:00");
    }
    const QString sign = seconds < 0 ? QStringLiteral("-") : QString();
    const double magnitude = std::fabs(seconds);
    // Far beyond any dwell a fraction is meaningless, and keeping four
    // decimals of it would overflow.
    const double total = magnitude < kWholeSecondsOnly ? KeepFourDecimals(magnitude) : magnitude;
    const double wholeSeconds = std::floor(total);
    const double fraction = KeepFourDecimals(total - wholeSeconds);
    // The parts are taken as doubles: a typed 1e300 has no integer type.
    const int secondsPart = static_cast<int>(std::fmod(wholeSeconds, 60));
    const int minutesPart = static_cast<int>(std::fmod(std::floor(wholeSeconds / 60), 60));
    QString secondsText = QStringLiteral("%1").arg(secondsPart, 2, 10, QLatin1Char('0'));
    if (fraction > 0) {
        // "0.5" -> ".5", keeping the shortest form of the fraction.
        secondsText += NumberText(fraction).mid(1);
    }
    return QStringLiteral("%1%2:%3:%4")
        .arg(sign)
        .arg(NumberText(std::floor(wholeSeconds / 3600)))
        .arg(minutesPart, 2, 10, QLatin1Char('0'))
        .arg(secondsText);
}

QString MillisecondsAsSecondsText(const QString& millisecondsText) {
    return NumberText(NumericValue(millisecondsText) / 1000.0) + QStringLiteral(" Second");
}

QString DecimalPointText(const QString& text) {
    if (text.contains(QLatin1Char('.')) || text.count(QLatin1Char(',')) != 1) {
        return text;
    }
    QString pointed = text;
    pointed.replace(QLatin1Char(','), QLatin1Char('.'));
    return pointed;
}

double EntryValue(const QString& text) {
    return NumericValue(DecimalPointText(text));
}

bool IsNumberEntry(const QString& text, bool timeEntry) {
    const auto isNumber = [](const QString& part) {
        return LeadingNumber(DecimalPointText(part)).has_value();
    };
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return true;
    }
    if (!timeEntry || !trimmed.contains(QLatin1Char(':'))) {
        return isNumber(trimmed);
    }
    // Minutes:seconds; either side may be left out, not both.
    const QStringList parts = trimmed.split(QLatin1Char(':'));
    const QString minutes = parts[0].trimmed();
    const QString seconds = parts[1].trimmed();
    return !(minutes.isEmpty() && seconds.isEmpty()) && (minutes.isEmpty() || isNumber(minutes)) &&
           (seconds.isEmpty() || isNumber(seconds));
}

QString ClampEntry(const QString& text, const EntryRange& range) {
    const double value = EntryValue(text);
    if (value < range.minimum) {
        return QString::fromLatin1(range.minimumText);
    }
    if (value > range.maximum) {
        return QString::fromLatin1(range.maximumText);
    }
    return text;
}

LoadLevelCheck CheckLoadLevel(const LoadLevelEntries& entries) {
    LoadLevelChecker checker(entries);
    LoadLevelEntries& boxes = checker.Result().corrected;
    const QString& mode = entries.mode;
    if (const LimitRule* rule = LoadValueRule(mode)) {
        checker.Test(boxes.loadValue, *rule, LoadLevelFocus::LoadValue);
        // Only the current modes limit the dwell time.
        if (mode == LoadMode::kCC || mode == LoadMode::kLinCC) {
            checker.Test(boxes.dwellTime, kDwellRule, LoadLevelFocus::DwellTime);
        }
    } else {
        checker.Fail(kModeError, LoadLevelFocus::None);
    }
    checker.Test(boxes.measureTime, kMeasureRule, LoadLevelFocus::LoadValue);
    checker.Test(boxes.frequency, kFrequencyRule, LoadLevelFocus::LoadValue);
    return checker.Result();
}
