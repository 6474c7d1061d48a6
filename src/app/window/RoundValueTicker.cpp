#include "RoundValueTicker.h"

#include <cmath>

namespace {
// Steps finer than this are below any reading the load gives.
constexpr int kMostDecimals = 9;
}  // namespace

int RoundValueTicker::DecimalsFor(double step) {
    step = std::fabs(step);
    int decimals = 0;
    double scaled = step;
    while (decimals < kMostDecimals && std::fabs(scaled - std::round(scaled)) > 1e-6 * scaled) {
        ++decimals;
        scaled *= 10;
    }
    return decimals;
}

double RoundValueTicker::getTickStep(const QCPRange& range) {
    m_step = QCPAxisTicker::getTickStep(range);
    return m_step;
}

int RoundValueTicker::getSubTickCount(double) {
    return 0;  // grid lines at the ticks are all a reading needs
}

QString RoundValueTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    if (std::fabs(tick) < m_step * 1e-6) {
        tick = 0;  // not "-0"
    }
    return QString::number(tick, 'f', DecimalsFor(m_step));
}
