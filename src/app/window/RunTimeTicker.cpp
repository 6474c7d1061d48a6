#include "RunTimeTicker.h"

#include <cmath>

#include "RoundValueTicker.h"

namespace {
constexpr double kSecondsPerDay = 86400;
}  // namespace

QString RunTimeTicker::Label(double seconds, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(std::fabs(seconds) * scale) / scale;
    const qint64 whole = static_cast<qint64>(std::floor(rounded));
    const double fraction = rounded - whole;
    QString text = QStringLiteral("%1:%2:%3")
                       .arg(whole / 3600)
                       .arg((whole / 60) % 60, 2, 10, QLatin1Char('0'))
                       .arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (decimals > 0) {
        text += QString::number(fraction, 'f', decimals).mid(1);  // ".5" of "0.5"
    }
    return seconds < 0 && rounded > 0 ? QLatin1Char('-') + text : text;
}

double RunTimeTicker::getTickStep(const QCPRange& range) {
    static const QVector<double> kClockSteps{1,     2,     5,     10,    15,    30,   60,
                                             120,   300,   600,   900,   1800,  3600, 7200,
                                             10800, 21600, 43200, 86400, 172800};
    const double exact = range.size() / std::max(1, tickCount());
    if (exact < 1) {
        m_step = QCPAxisTicker::getTickStep(range);  // tenths, hundredths of a second
    } else if (exact > 2 * kSecondsPerDay) {
        // Whole days at a round count.
        m_step =
            kSecondsPerDay * QCPAxisTicker::getTickStep(QCPRange(0, range.size() / kSecondsPerDay));
    } else {
        m_step = pickClosest(exact, kClockSteps);
    }
    return m_step;
}

int RunTimeTicker::getSubTickCount(double) {
    return 0;
}

QString RunTimeTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    const int decimals = m_step < 1 ? RoundValueTicker::DecimalsFor(m_step) : 0;
    return Label(tick, decimals);
}
