#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// The columns of the step table. Column 0 numbers the steps; columns 1 to 12
// are the step's fields, the same twelve that a step record and a test file
// step section hold.
namespace StepColumn {
enum : int {
    Step = 0,
    ActionMode = 1,
    Mode = 2,
    Value = 3,
    DwellTime = 4,
    LoopTimes = 5,
    Stable = 6,
    StopAH = 7,
    MeasT = 8,
    GoTo = 9,
    Frequency = 10,
    CF = 11,
    PF = 12,
    Count = 13
};
}

// The twelve fields of a step, in the order of the test file keys; field f
// mirrors step table column f + 1.
enum class StepField : int {
    ActionMode = 0,
    LoadModeVolt,
    CurrentValue,
    StopTime,
    StopValue,
    StableTime,
    StopAH,
    MeasTime,
    GoToStep,
    Frequency,
    CF,
    PF
};
constexpr int kStepFieldCount = 12;

inline int ColumnOf(StepField field) {
    return static_cast<int>(field) + 1;
}
inline StepField FieldOfColumn(int column) {
    return static_cast<StepField>(column - 1);
}

// Test file key of each field ("ActionMode", "LoadModeVolt", ...), in order.
const QStringList& StepFieldKeys();

struct StepRecord {
    std::array<QString, kStepFieldCount> fields;

    const QString& operator[](StepField f) const { return fields[static_cast<int>(f)]; }
    QString& operator[](StepField f) { return fields[static_cast<int>(f)]; }
};

// The step records that the test file fills and the run reads: step k lives
// in record k - 1. Holds one record more than the step table allows steps.
class StepRecordArray {
  public:
    static constexpr int kCapacity = 1001;

    StepRecordArray() : m_records(kCapacity) {}

    // Records outside 0..kCapacity-1 read as empty and ignore writes.
    const StepRecord& Record(int index) const;
    void SetRecord(int index, const StepRecord& record);
    QString Field(int index, StepField field) const { return Record(index)[field]; }
    void SetField(int index, StepField field, const QString& text);

  private:
    std::vector<StepRecord> m_records;
};
