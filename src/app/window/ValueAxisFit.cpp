#include "ValueAxisFit.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMarginShare = 0.05;
constexpr double kSmallestRelativeSpan = 0.02;
// Far below the load's resolution: finer ticks would only show noise.
constexpr double kSmallestSpan = 1e-6;
}  // namespace

QCPRange FitValueRange(double low, double high, bool nonNegative) {
    if (!(low <= high)) {  // no readings yet
        low = 0;
        high = 0;
    }
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    const double smallest =
        magnitude > 0 ? std::max(magnitude * kSmallestRelativeSpan, kSmallestSpan) : 1.0;
    const double span = std::max(high - low, smallest);
    const double middle = (low + high) / 2;
    QCPRange range(middle - span / 2 - span * kMarginShare,
                   middle + span / 2 + span * kMarginShare);
    if (nonNegative && low >= 0) {
        range = NotBelowZero(range);
    }
    return range;
}

QCPRange NotBelowZero(const QCPRange& range) {
    if (range.lower >= 0) {
        return range;
    }
    return QCPRange(0, range.size());
}
