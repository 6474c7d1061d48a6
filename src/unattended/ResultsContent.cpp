#include "ResultsContent.h"

#include "ActionCatalogue.h"
#include "LoadConnection.h"
#include "SafetyLimits.h"
#include "TestFile.h"

namespace {
// Fields the run reads only on load levels.
bool LoadLevelOnly(StepField field) {
    return field == StepField::Frequency || field == StepField::CF || field == StepField::PF;
}

QJsonObject StepCopy(const StepRecord& record) {
    const bool loadLevel = record[StepField::ActionMode] == Action::kLoadLevel;
    QJsonObject step;
    for (int f = 0; f < kStepFieldCount; ++f) {
        const auto field = static_cast<StepField>(f);
        if (loadLevel || !LoadLevelOnly(field)) {
            step.insert(StepFieldKeys()[f], record[field]);
        }
    }
    return step;
}

QJsonObject OptionsCopy(const TestOptions& o) {
    return QJsonObject{
        {"MeasureVoltage", o.measureVoltage},
        {"MeasureCurrent", o.measureCurrent},
        {"MeasurePower", o.measurePower},
        {"MeasureResistant", o.measureResistant},
        {"MeasureKWH", o.measureKwh},
        {"MeasureCapability", o.measureCapability},
        {"MeasureAddKWH", o.measureAddKwh},
        {"MeasureAddCapability", o.measureAddCapability},
        {"MeasureTemperature", o.measureTemperature},
        {"MeasureDCV", o.measureDcv},
        {"MeasureRefVoltage", o.measureRefVoltage},
        {"MeasureACIRDCIR", o.measureAcirDcir},
        {"MeasureTime", o.measureTime},
    };
}

QString UnitOf(const QString& field) {
    // "Votlage" is how the log header has always spelt it.
    if (field.startsWith(QLatin1String("Votlage")) || field.startsWith(QLatin1String("Voltage"))) {
        return QStringLiteral("V");
    }
    if (field.startsWith(QLatin1String("Current"))) {
        return QStringLiteral("A");
    }
    if (field.startsWith(QLatin1String("Power"))) {
        return QStringLiteral("W");
    }
    if (field == QLatin1String("StepTime")) {
        return QStringLiteral("hh:mm:ss");
    }
    if (field == QLatin1String("TotalTime")) {
        return QStringLiteral("h:mm:ss");
    }
    return QString();
}
}  // namespace

namespace ResultsContent {

QJsonObject TestDescription(const TestDocument& test) {
    QJsonArray steps;
    for (int i = 0; i < test.TotalStepCount(); ++i) {
        steps.append(StepCopy(test.Records().Record(i)));
    }
    return QJsonObject{{"path", test.Path()},
                       {"sha256", test.StepsSha256()},
                       {"options", OptionsCopy(test.Options())},
                       {"steps", steps}};
}

QJsonObject LimitsDescription(const SafetyLimits& limits) {
    QJsonObject out;
    if (!limits.HasLimit() && limits.unreadable.isEmpty()) {
        return out;
    }
    for (const QString& key : SafetyLimitKeys()) {
        const QString text = SafetyLimitText(limits, key);
        bool number = false;
        const double value = text.toDouble(&number);
        if (number) {
            out.insert(key, value);
        } else if (!text.isEmpty()) {
            out.insert(key, text);
        }
    }
    return out;
}

QJsonObject ConnectionDescription(const LoadConnection& connection) {
    const ConnectionRecord& record = connection.Records()[connection.LoadDevice(0)];
    switch (record.medium) {
        case Medium::Serial:
            return {{"medium", "serial"}, {"address", QStringLiteral("COM%1").arg(record.comPort)}};
        case Medium::Gpib:
            return {{"medium", "GPIB"}, {"address", QString::number(record.gpibAddress)}};
        case Medium::Lan:
            break;
    }
    return {{"medium", "LAN"},
            {"address", QStringLiteral("%1:%2").arg(record.ip).arg(record.port)}};
}

QJsonArray ColumnUnits(const QString& header) {
    QJsonArray columns;
    for (const QString& field : header.split(QLatin1Char(','))) {
        columns.append(QJsonObject{{"name", field}, {"unit", UnitOf(field)}});
    }
    return columns;
}

QString EndReasonText(const QString& action, const QString& mode, StopReason reason) {
    switch (reason) {
        case StopReason::StopAh:
            return QStringLiteral("ah");
        case StopReason::StopValue:
            if (action == Action::kPlusLoad) {
                return QStringLiteral("pulse-ng");
            }
            // Charges end on their current, CV discharges on the current too.
            if (action == Action::kCharge || action == Action::kCpCharge ||
                (Action::IsDischarge(action) && mode == LoadMode::kCV)) {
                return QStringLiteral("current");
            }
            return QStringLiteral("voltage");
        case StopReason::StepOver:
        case StopReason::None:
            break;
    }
    return action == Action::kPlusLoad ? QStringLiteral("pulse-ok") : QStringLiteral("time");
}

QString StepsDifference(const QJsonArray& before, const TestDocument& now) {
    const int count = now.TotalStepCount();
    for (int i = 0; i < qMin(count, static_cast<int>(before.size())); ++i) {
        const QJsonObject was = before[i].toObject();
        const QJsonObject is = StepCopy(now.Records().Record(i));
        for (int f = 0; f < kStepFieldCount; ++f) {
            const QString key = StepFieldKeys()[f];
            const QString wasText = was.value(key).toString();
            const QString isText = is.value(key).toString();
            if (wasText != isText) {
                return QStringLiteral("step %1 \"%2\" is \"%3\", was \"%4\"")
                    .arg(i + 1)
                    .arg(StepTable::HeaderText(f + 1), isText, wasText);
            }
        }
    }
    if (count != before.size()) {
        return QStringLiteral("%1 steps, were %2").arg(count).arg(before.size());
    }
    return QString();
}

}  // namespace ResultsContent
