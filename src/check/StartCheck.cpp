#include "StartCheck.h"

#include "CheckTest.h"
#include "Operator.h"

namespace {
const QString kOk = QStringLiteral("OK");

StartVerdict AskAboutWarnings(const QString& text, const QStringList& lines, Operator& op) {
    const QStringList choices{QString::fromLatin1(kStartAnyway), QString::fromLatin1(kCancelStart)};
    return op.AskChoice(text, lines, choices) == 0 ? StartVerdict::Go : StartVerdict::Cancelled;
}

QString Counted(int count, const char* what) {
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(what)).arg(count == 1 ? "" : "s");
}
}  // namespace

namespace {
CheckReport CheckWithLimits(const StepTable& table, const SafetyLimits& limits) {
    CheckTest check(table);
    check.SetSafetyLimits(limits);
    return check.Run();
}
}  // namespace

StartVerdict CheckBeforeStart(const StepTable& table, Operator& op, const SafetyLimits& limits) {
    const CheckReport report = CheckWithLimits(table, limits);
    if (report.HasErrors()) {
        op.AskChoice(QStringLiteral("The test cannot start: the check found %1.")
                         .arg(Counted(report.ErrorCount(), "error")),
                     report.Lines(), {kOk});
        return StartVerdict::Refused;
    }
    if (report.findings.isEmpty()) {
        return StartVerdict::Go;
    }
    return AskAboutWarnings(QStringLiteral("The check found %1. Start the test anyway?")
                                .arg(Counted(report.WarningCount(), "warning")),
                            report.Lines(), op);
}

StartVerdict CheckStopVoltages(const StepTable& table, double presentVoltage, Operator& op) {
    const QVector<CheckFinding> findings = CheckTest(table).StopVoltageFindings(presentVoltage);
    if (findings.isEmpty()) {
        return StartVerdict::Go;
    }
    QStringList lines;
    for (const CheckFinding& finding : findings) {
        lines << finding.Line();
    }
    return AskAboutWarnings(
        QStringLiteral("The battery is below a stop voltage of the test. Start the test anyway?"),
        lines, op);
}

void ShowCheck(const StepTable& table, Operator& op, const SafetyLimits& limits) {
    const CheckReport report = CheckWithLimits(table, limits);
    const QString verdict = report.findings.isEmpty()
                                ? QStringLiteral("Check: no errors, no warnings.")
                                : QStringLiteral("Check: %1, %2.")
                                      .arg(Counted(report.ErrorCount(), "error"),
                                           Counted(report.WarningCount(), "warning"));
    op.AskChoice(
        verdict,
        report.Lines() << QStringLiteral("estimated duration: %1").arg(report.EstimatedDuration()),
        {kOk});
}
