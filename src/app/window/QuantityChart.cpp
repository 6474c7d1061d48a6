#include "QuantityChart.h"

#include <algorithm>
#include <limits>

#include "RoundValueTicker.h"
#include "RunTimeTicker.h"
#include "ValueAxisFit.h"

namespace {
// A run shorter than this still gets an axis this long.
constexpr double kShortestTimeSpan = 10;
// Room after the newest point, so that it does not sit on the frame.
constexpr double kTimeHeadroom = 1.02;
const char* const kPhaseNames[] = {"A", "B", "C"};

// A graph that takes no clicks. Nothing on it can be picked, and finding the
// distance from the pointer to a day of points on every press and release
// would hold up the click.
class UnpickableGraph : public QCPGraph {
  public:
    using QCPGraph::QCPGraph;
    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
};
}  // namespace

QuantityChart::QuantityChart(QCPAxisRect* rect, const QString& title, const QString& unit,
                             bool nonNegative)
    : QObject(rect),
      m_time(rect->axis(QCPAxis::atBottom)),
      m_value(rect->axis(QCPAxis::atLeft)),
      m_nonNegative(nonNegative) {
    setObjectName(title + QStringLiteral("Chart"));
    rect->setRangeDrag(Qt::Horizontal);
    rect->setRangeZoom(Qt::Horizontal);
    // A rectangle zoom sets both axes; the wheel and dragging only the time.
    rect->setRangeZoomAxes(m_time, m_value);

    m_time->setTicker(QSharedPointer<RunTimeTicker>::create());
    m_value->setTicker(QSharedPointer<RoundValueTicker>::create());
    m_value->setLabel(QStringLiteral("%1 (%2)").arg(title, unit));
    const QColor grid(225, 225, 225);
    for (QCPAxis* axis : {m_time, m_value}) {
        axis->grid()->setPen(QPen(grid, 0, Qt::SolidLine));
        axis->setPadding(2);
        axis->setLabelPadding(2);
    }
    for (int phase = 0; phase < kPhases; ++phase) {
        m_graphs[phase] = new UnpickableGraph(m_time, m_value);  // the plot owns it
        m_graphs[phase]->setName(QString::fromLatin1(kPhaseNames[phase]));
        m_graphs[phase]->setPen(PhasePen(phase, false));
        m_graphs[phase]->setAdaptiveSampling(true);
        m_graphs[phase]->setData(m_series[phase].Data());
    }
    connect(m_time, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &QuantityChart::OnTimeRangeChanged);
    connect(m_value, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &QuantityChart::OnValueRangeChanged);
    FitAxes();
}

QPen QuantityChart::PhasePen(int phase, bool dense) {
    // A dense trace looks as bold in a one-pixel pen, which is drawn without
    // the stroker a wider one needs: most of the cost of a redraw.
    return QPen(PhaseColour(phase), dense ? 1.0 : 1.5);
}

QColor QuantityChart::PhaseColour(int phase) {
    static const QColor kColours[kPhases] = {QColor(200, 40, 40), QColor(30, 130, 60),
                                             QColor(30, 80, 200)};
    return kColours[phase];
}

void QuantityChart::AddPoint(double seconds, const std::array<double, kPhases>& values) {
    m_newest = std::max(m_newest, seconds);
    for (int phase = 0; phase < kPhases; ++phase) {
        m_series[phase].Append(seconds, values[phase]);
        if (m_low > m_high) {
            m_low = m_high = values[phase];
        } else {
            m_low = std::min(m_low, values[phase]);
            m_high = std::max(m_high, values[phase]);
        }
    }
}

void QuantityChart::Clear() {
    for (ChartDecimator& series : m_series) {
        series.Clear();
    }
    m_newest = 0;
    m_low = 0;
    m_high = -1;
    Follow();
}

void QuantityChart::Follow() {
    m_followTime = true;
    m_fitValues = true;
    FitAxes();
}

void QuantityChart::HoldTimeRange(const QCPRange& range) {
    m_followTime = false;
    SetRange(m_time, range);
    if (m_fitValues) {
        FitValueAxis();
    }
}

void QuantityChart::FitAxes() {
    if (m_followTime) {
        SetRange(m_time, QCPRange(0, std::max(m_newest, kShortestTimeSpan) * kTimeHeadroom));
    }
    if (m_fitValues) {
        FitValueAxis();
    }
}

void QuantityChart::FitValueAxis() {
    double low = m_low;
    double high = m_high;
    if (!m_followTime && low <= high) {
        // Only the points in view count.
        low = std::numeric_limits<double>::max();
        high = std::numeric_limits<double>::lowest();
        for (const QCPGraph* graph : m_graphs) {
            bool found = false;
            const QCPRange r = graph->getValueRange(found, QCP::sdBoth, m_time->range());
            if (found) {
                low = std::min(low, r.lower);
                high = std::max(high, r.upper);
            }
        }
    }
    SetRange(m_value, FitValueRange(low, high, m_nonNegative));
}

void QuantityChart::SetRange(QCPAxis* axis, const QCPRange& range) {
    m_applyingRange = true;
    axis->setRange(range);
    m_applyingRange = false;
}

void QuantityChart::OnTimeRangeChanged(const QCPRange& range) {
    if (m_applyingRange) {
        return;
    }
    // The operator's zoom or pan: there is nothing before the start.
    if (range.lower < 0) {
        SetRange(m_time, NotBelowZero(range));
    }
    m_followTime = false;
    if (m_fitValues) {
        FitValueAxis();
    }
    emit timeRangeChosen(m_time->range());
}

void QuantityChart::OnValueRangeChanged(const QCPRange& range) {
    if (m_applyingRange) {
        return;
    }
    if (m_nonNegative && m_low >= 0 && range.lower < 0) {
        SetRange(m_value, NotBelowZero(range));
    }
    m_fitValues = false;
}

void QuantityChart::ChooseDetail() {
    const QCPGraphDataContainer& all = *m_series[0].Data();
    const QCPRange shown = m_time->range();
    const auto inView = all.findEnd(shown.upper) - all.findBegin(shown.lower);
    const int pixels = std::max(1, m_time->axisRect()->width());
    const bool overview = inView > 2 * ChartDecimator::kOverviewBucket * pixels;
    if (overview == m_drawsOverview) {
        return;
    }
    m_drawsOverview = overview;
    for (int phase = 0; phase < kPhases; ++phase) {
        m_graphs[phase]->setData(overview ? m_series[phase].Overview() : m_series[phase].Data());
        m_graphs[phase]->setPen(PhasePen(phase, overview));
    }
}

void QuantityChart::FitTickCounts(const QSize& size) {
    // As many ticks as there is room for labels with space between them.
    const QFontMetrics metrics(m_time->tickLabelFont());
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00.0"));
    // A label at the right end of the time axis reaches past it by half its width.
    m_time->axisRect()->setMinimumMargins(QMargins(4, 4, labelWidth / 2 + 2, 2));
    m_time->ticker()->setTickCount(std::clamp(size.width() / (2 * labelWidth), 2, 8));
    m_value->ticker()->setTickCount(std::clamp(size.height() / (3 * metrics.height()), 2, 6));
}
