#pragma once

#include <QString>

// The result line of a pulsed-load test: "OK,<V>,<I>" or "NG,<V>,<I>".
struct PulseVerdict {
    int code = 0;  // 1 OK, 2 NG, 0 no usable result
    QString voltage = QStringLiteral("0");
    QString current = QStringLiteral("0");
    QString power = QStringLiteral("0");
};

// A result that is not OK or NG, or lacks its voltage or current, reads as
// no result with "0" in all three values.
PulseVerdict ParsePulseVerdict(const QString& reply);
