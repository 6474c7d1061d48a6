#include "SafetyLimits.h"

#include "IniFile.h"
#include "NumberText.h"

namespace {
const QString kAction = QStringLiteral("Action");
const QString kStop = QStringLiteral("Stop");
const QString kPause = QStringLiteral("Pause");

struct LimitKey {
    const char* key;
    std::optional<double> SafetyLimits::*member;
};
constexpr LimitKey kLimitKeys[] = {
    {"MinVoltage", &SafetyLimits::minVoltage},   {"MaxVoltage", &SafetyLimits::maxVoltage},
    {"MaxCurrent", &SafetyLimits::maxCurrent},   {"MaxPower", &SafetyLimits::maxPower},
    {"MaxTestTime", &SafetyLimits::maxTestTime},
};

const LimitKey* FindLimitKey(const QString& key) {
    for (const LimitKey& limit : kLimitKeys) {
        if (key.compare(QLatin1String(limit.key), Qt::CaseInsensitive) == 0) {
            return &limit;
        }
    }
    return nullptr;
}
}  // namespace

const QStringList& SafetyLimitKeys() {
    static const QStringList keys = [] {
        QStringList all;
        for (const LimitKey& limit : kLimitKeys) {
            all << QLatin1String(limit.key);
        }
        return all << kAction;
    }();
    return keys;
}

bool SafetyLimits::HasLimit() const {
    return minVoltage || maxVoltage || maxCurrent || maxPower || maxTestTime;
}

QStringList SafetyLimits::Problems() const {
    QStringList problems;
    for (const QString& key : SafetyLimitKeys()) {
        const auto bad = unreadable.constFind(key);
        if (bad == unreadable.constEnd()) {
            continue;
        }
        problems << (key == kAction
                         ? QStringLiteral("Safety Limits: Action \"%1\" is neither Stop nor Pause.")
                               .arg(*bad)
                         : QStringLiteral("Safety Limits: %1 \"%2\" is not a number of 0 or more.")
                               .arg(key, *bad));
    }
    if (minVoltage && maxVoltage && *minVoltage >= *maxVoltage) {
        problems << QStringLiteral("Safety Limits: MinVoltage %1 is not below MaxVoltage %2.")
                        .arg(NumberText(*minVoltage), NumberText(*maxVoltage));
    }
    return problems;
}

bool SafetyLimits::operator==(const SafetyLimits& other) const {
    return minVoltage == other.minVoltage && maxVoltage == other.maxVoltage &&
           maxCurrent == other.maxCurrent && maxPower == other.maxPower &&
           maxTestTime == other.maxTestTime && action == other.action &&
           unreadable == other.unreadable;
}

QString SafetyLimitText(const SafetyLimits& limits, const QString& key) {
    const auto bad = limits.unreadable.constFind(key);
    if (bad != limits.unreadable.constEnd()) {
        return *bad;
    }
    if (key == kAction) {
        return limits.action == SafetyLimits::Action::Pause ? kPause : kStop;
    }
    const LimitKey* limit = FindLimitKey(key);
    return limit != nullptr && limits.*(limit->member) ? NumberText(*(limits.*(limit->member)))
                                                       : QString();
}

void SetSafetyLimitText(SafetyLimits* limits, const QString& key, const QString& text) {
    const QString value = text.trimmed();
    if (key.compare(kAction, Qt::CaseInsensitive) == 0) {
        limits->unreadable.remove(kAction);
        limits->action = SafetyLimits::Action::Stop;
        if (value.compare(kPause, Qt::CaseInsensitive) == 0) {
            limits->action = SafetyLimits::Action::Pause;
        } else if (!value.isEmpty() && value.compare(kStop, Qt::CaseInsensitive) != 0) {
            limits->unreadable.insert(kAction, text);
        }
        return;
    }
    const LimitKey* limitKey = FindLimitKey(key);
    if (limitKey == nullptr) {
        return;
    }
    const QString canonical = QLatin1String(limitKey->key);
    limits->unreadable.remove(canonical);
    std::optional<double>& limit = limits->*(limitKey->member);
    limit.reset();
    if (value.isEmpty()) {
        return;
    }
    double number = 0;
    if (StrictNumber(QString(value).replace(QLatin1Char(','), QLatin1Char('.')), &number) &&
        number >= 0) {
        limit = number;
    } else {
        limits->unreadable.insert(canonical, text);
    }
}

SafetyLimits ReadSafetyLimits(const IniFile& ini) {
    SafetyLimits limits;
    for (const QString& key : SafetyLimitKeys()) {
        SetSafetyLimitText(&limits, key, ini.Value(kSafetyLimitsSection, key, QString()));
    }
    return limits;
}

void WriteSafetyLimits(IniFile& ini, const SafetyLimits& limits) {
    const bool anyKey = limits.HasLimit() || !limits.unreadable.isEmpty() ||
                        limits.action != SafetyLimits::Action::Stop;
    for (const QString& key : SafetyLimitKeys()) {
        const QString text = SafetyLimitText(limits, key);
        const bool keep = key == kAction ? anyKey : !text.isEmpty();
        if (keep) {
            ini.SetValue(kSafetyLimitsSection, key, text);
        } else {
            ini.RemoveKey(kSafetyLimitsSection, key);
        }
    }
}
