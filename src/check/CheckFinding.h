#pragma once

#include <QString>

// One thing the check before a run found in a step table.
struct CheckFinding {
    enum class Severity { Error, Warning };

    int step = 0;  // the step it concerns; 0 for the test as a whole
    Severity severity = Severity::Error;
    QString text;

    bool IsError() const { return severity == Severity::Error; }

    // "error: step 4: <text>", or "warning: <text>" for the whole test.
    QString Line() const {
        const QString kind = IsError() ? QStringLiteral("error") : QStringLiteral("warning");
        return step > 0 ? QStringLiteral("%1: step %2: %3").arg(kind).arg(step).arg(text)
                        : QStringLiteral("%1: %2").arg(kind, text);
    }
};
