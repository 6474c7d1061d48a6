#pragma once

#include <QString>
#include <array>

// One measurement point as a data log line holds it.
struct LoggedPoint {
    qint64 number = 0;
    int step = 0;
    QString loop1;      // FOR passes left, empty outside a loop
    QString timeOfDay;  // "hh:mm:ss"
    qint64 totalSeconds = 0;
    // Run time placed within its whole second: the log counts whole seconds,
    // so the points that share one are spread evenly across it.
    double seconds = 0;
    std::array<double, 3> voltage{};
    std::array<double, 3> current{};
    std::array<double, 3> power{};
    QString stepMode;
};
