#pragma once

#include <QStringList>
#include <QVector>
#include <optional>

#include "CheckFinding.h"
#include "SafetyLimits.h"

class StepReading;
class StepTable;

// What the check found, and how long the test runs at most.
struct CheckReport {
    QVector<CheckFinding> findings;  // by step, the whole test's first
    double estimatedSeconds = 0;

    bool HasErrors() const;
    int ErrorCount() const;
    int WarningCount() const;
    // One line per finding: "error: step 4: ...".
    QStringList Lines() const;
    // The estimate rounded to whole seconds, as h:mm:ss.
    QString EstimatedDuration() const;
};

// The check a step table gets before it runs, so that a test meant to run
// unattended for days does not end in its first minute or do something
// other than the operator meant. Errors are faults a run would follow
// blindly (a misspelt action, crossed loops, a value the load cannot take);
// warnings are legal but probably unintended.
class CheckTest {
  public:
    explicit CheckTest(const StepTable& table) : m_table(table) {}

    // The battery's present voltage, known while a load is connected: a
    // discharge whose stop voltage lies above it ends at its first point.
    void SetPresentVoltage(double volts) { m_presentVoltage = volts; }
    // The test's safety limits: values that are no limit are errors.
    void SetSafetyLimits(const SafetyLimits& limits) { m_limits = limits; }

    CheckReport Run() const;
    // Only the discharges whose stop voltage lies above `presentVoltage`.
    QVector<CheckFinding> StopVoltageFindings(double presentVoltage) const;

  private:
    using Findings = QVector<CheckFinding>;

    void CheckStep(const StepReading& step, Findings& out) const;
    void CheckGoTo(const StepReading& step, Findings& out) const;
    void CheckNumbers(const StepReading& step, Findings& out) const;
    void CheckDcModeRange(const StepReading& step, Findings& out) const;
    void CheckMeasureTime(const StepReading& step, Findings& out) const;
    void CheckStopVoltage(const StepReading& step, double presentVoltage, Findings& out) const;
    void CheckLoadLeftOn(Findings& out) const;

    const StepTable& m_table;
    std::optional<double> m_presentVoltage;
    SafetyLimits m_limits;
};
