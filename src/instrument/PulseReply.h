#pragma once

#include <QString>

// The result line of a timed pulse test: "OK,<V>,<I>" or "NG,<V>,<I>".
struct PulseReply {
    enum Code : int { kNoResult = 0, kPassed = 1, kFailed = 2 };

    Code code = kNoResult;
    // What the voltage, current and power boxes show.
    QString voltage = QStringLiteral("0");
    QString current = QStringLiteral("0");
    QString power = QStringLiteral("0");
};

// Splits a result line at ",". "OK" or "NG" followed by a voltage and a
// current give the verdict, both fields as received and the power as the
// number text of their product; anything else, a truncated line included,
// gives no result and "0" in every box.
PulseReply ParsePulseReply(const QString& reply);
