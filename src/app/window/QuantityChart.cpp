#include "QuantityChart.h"

#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <limits>

namespace {
// Scales this small are noise; keep the axis readable instead of zooming into it.
constexpr double kSmallestSpan = 1e-3;
constexpr double kMarginShare = 0.05;
const char* const kPhaseNames[] = {"A", "B", "C"};
}  // namespace

QuantityChart::QuantityChart(const QString& title, const QString& unit, QWidget* parent)
    : QChartView(new QChart, parent), m_timeAxis(new QValueAxis), m_valueAxis(new QValueAxis) {
    QChart* chart = this->chart();  // owned by the view
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(2, 2, 2, 2));
    m_timeAxis->setTitleText(QStringLiteral("min"));
    m_valueAxis->setTitleText(unit);
    m_valueAxis->setLabelFormat(QStringLiteral("%.4g"));
    chart->addAxis(m_timeAxis, Qt::AlignBottom);
    chart->addAxis(m_valueAxis, Qt::AlignLeft);
    for (int phase = 0; phase < kPhases; ++phase) {
        m_series[phase] = new QLineSeries(chart);
        m_series[phase]->setName(QString::fromLatin1(kPhaseNames[phase]));
        chart->addSeries(m_series[phase]);
        m_series[phase]->attachAxis(m_timeAxis);
        m_series[phase]->attachAxis(m_valueAxis);
    }
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::RectangleRubberBand);
    connect(m_timeAxis, &QValueAxis::rangeChanged, this, &QuantityChart::OnAxisRangeChanged);
    connect(m_valueAxis, &QValueAxis::rangeChanged, this, &QuantityChart::OnAxisRangeChanged);
    FollowNewest();
}

int QuantityChart::PointCount(int phase) const {
    return m_series[phase]->count();
}

void QuantityChart::AddPoint(double minutes, const std::array<double, kPhases>& values) {
    m_newestMinutes = minutes;
    for (int phase = 0; phase < kPhases; ++phase) {
        const QPointF point(minutes, values[phase]);
        if (m_data[phase].Append(point)) {
            m_series[phase]->replace(m_data[phase].Points());
        } else {
            m_series[phase]->append(point);
        }
    }
    if (m_following) {
        FollowNewest();
    }
}

void QuantityChart::Clear() {
    for (int phase = 0; phase < kPhases; ++phase) {
        m_data[phase].Clear();
        m_series[phase]->clear();
    }
    m_newestMinutes = 0;
    ResetZoom();
}

void QuantityChart::ResetZoom() {
    m_following = true;
    FollowNewest();
}

void QuantityChart::FollowNewest() {
    const double end = std::max(m_newestMinutes, 1.0);
    const double start = std::max(0.0, end - kWindowMinutes);
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (const ChartDecimator& data : m_data) {
        // Points arrive in time order: search for the window's first point.
        const QVector<QPointF>& points = data.Points();
        auto first = std::lower_bound(points.cbegin(), points.cend(), start,
                                      [](const QPointF& p, double x) { return p.x() < x; });
        for (auto it = first; it != points.cend(); ++it) {
            low = std::min(low, it->y());
            high = std::max(high, it->y());
        }
    }
    if (low > high) {
        low = 0;
        high = 1;
    }
    const double span = std::max(high - low, kSmallestSpan);
    m_applyingRange = true;
    m_timeAxis->setRange(start, end);
    m_valueAxis->setRange(low - span * kMarginShare, high + span * kMarginShare);
    m_valueAxis->applyNiceNumbers();  // round tick values read at a glance
    m_applyingRange = false;
}

void QuantityChart::OnAxisRangeChanged() {
    // Minutes read best with as many decimals as the span needs to tell ticks apart.
    const double span = m_timeAxis->max() - m_timeAxis->min();
    m_timeAxis->setLabelFormat(span < 3    ? QStringLiteral("%.2f")
                               : span < 30 ? QStringLiteral("%.1f")
                                           : QStringLiteral("%.0f"));
    if (!m_applyingRange) {
        m_following = false;  // the operator zoomed or scrolled: leave the view alone
    }
}
