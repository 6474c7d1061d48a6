#include "StepRecord.h"

const QStringList& StepFieldKeys() {
    static const QStringList keys{QStringLiteral("ActionMode"),   QStringLiteral("LoadModeVolt"),
                                  QStringLiteral("CurrentValue"), QStringLiteral("StopTime"),
                                  QStringLiteral("StopValue"),    QStringLiteral("StableTime"),
                                  QStringLiteral("StopAH"),       QStringLiteral("MeasTime"),
                                  QStringLiteral("GoToStep"),     QStringLiteral("Frequency"),
                                  QStringLiteral("CF"),           QStringLiteral("PF")};
    return keys;
}

const StepRecord& StepRecordArray::Record(int index) const {
    static const StepRecord empty;
    if (index < 0 || index >= kCapacity) {
        return empty;
    }
    return m_records[static_cast<size_t>(index)];
}

void StepRecordArray::SetRecord(int index, const StepRecord& record) {
    if (index >= 0 && index < kCapacity) {
        m_records[static_cast<size_t>(index)] = record;
    }
}

void StepRecordArray::SetField(int index, StepField field, const QString& text) {
    if (index >= 0 && index < kCapacity) {
        m_records[static_cast<size_t>(index)][field] = text;
    }
}
