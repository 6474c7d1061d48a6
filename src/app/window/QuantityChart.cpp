#include "QuantityChart.h"

#include <algorithm>

#include "RoundValueTicker.h"
#include "RunTimeTicker.h"
#include "ValueAxisFit.h"

namespace {
// A run shorter than this still gets an axis this long.
constexpr double kShortestTimeSpan = 60;
const char* const kPhaseNames[] = {"A", "B", "C"};
}  // namespace

QuantityChart::QuantityChart(const QString& title, const QString& unit, bool nonNegative,
                             QWidget* parent)
    : QCustomPlot(parent), m_nonNegative(nonNegative) {
    setObjectName(title + QStringLiteral("Chart"));
    setAccessibleName(title);
    setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    setNoAntialiasingOnDrag(true);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    axisRect()->setRangeDrag(Qt::Horizontal);
    axisRect()->setRangeZoom(Qt::Horizontal);
    axisRect()->setRangeZoomAxes(xAxis, yAxis);
    // Less room around the plot: the three charts share a small window.
    plotLayout()->setMargins(QMargins(0, 0, 0, 0));
    axisRect()->setMinimumMargins(QMargins(4, 4, 8, 2));

    xAxis->setTicker(QSharedPointer<RunTimeTicker>::create());
    yAxis->setTicker(QSharedPointer<RoundValueTicker>::create());
    yAxis->setLabel(QStringLiteral("%1 (%2)").arg(title, unit));
    const QColor grid(225, 225, 225);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->grid()->setPen(QPen(grid, 0, Qt::SolidLine));
        axis->setPadding(2);
        axis->setLabelPadding(2);
    }
    for (int phase = 0; phase < kPhases; ++phase) {
        m_graphs[phase] = addGraph(xAxis, yAxis);
        m_graphs[phase]->setName(QString::fromLatin1(kPhaseNames[phase]));
        m_graphs[phase]->setPen(QPen(PhaseColour(phase), 1.5));
        m_graphs[phase]->setAdaptiveSampling(true);
        m_graphs[phase]->setData(m_series[phase].Data());
    }
    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &QuantityChart::OnTimeRangeChanged);
    connect(yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &QuantityChart::OnValueRangeChanged);

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawIntervalMs);
    connect(&m_redraw, &QTimer::timeout, this, &QuantityChart::RedrawNow);
    FitTimeAxis();
    FitValueAxis();
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
    ScheduleRedraw();
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
    RedrawNow();
}

void QuantityChart::HoldTimeRange(const QCPRange& range) {
    m_followTime = false;
    SetRange(xAxis, range);
    if (m_fitValues) {
        FitValueAxis();
    }
    replot(rpQueuedReplot);
}

void QuantityChart::ScheduleRedraw() {
    if (!m_redraw.isActive()) {
        m_redraw.start();
    }
}

void QuantityChart::RedrawNow() {
    m_redraw.stop();
    if (m_followTime) {
        FitTimeAxis();
    }
    if (m_fitValues) {
        FitValueAxis();
    }
    if (isVisible()) {
        replot();
    }
}

void QuantityChart::FitTimeAxis() {
    SetRange(xAxis, QCPRange(0, std::max(m_newest, kShortestTimeSpan)));
}

void QuantityChart::FitValueAxis() {
    double low = m_low;
    double high = m_high;
    if (!m_followTime && low <= high) {
        // Only the points in view count.
        bool found = false;
        low = std::numeric_limits<double>::max();
        high = std::numeric_limits<double>::lowest();
        for (const QCPGraph* graph : m_graphs) {
            bool any = false;
            const QCPRange r = graph->getValueRange(any, QCP::sdBoth, xAxis->range());
            if (any) {
                found = true;
                low = std::min(low, r.lower);
                high = std::max(high, r.upper);
            }
        }
        if (!found) {
            low = 0;
            high = -1;
        }
    }
    SetRange(yAxis, FitValueRange(low, high, m_nonNegative));
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
        SetRange(xAxis, NotBelowZero(range));
    }
    m_followTime = false;
    if (m_fitValues) {
        FitValueAxis();
    }
    emit timeRangeChosen(xAxis->range());
}

void QuantityChart::OnValueRangeChanged(const QCPRange& range) {
    if (m_applyingRange) {
        return;
    }
    if (m_nonNegative && m_low >= 0 && range.lower < 0) {
        SetRange(yAxis, NotBelowZero(range));
    }
    m_fitValues = false;
}

void QuantityChart::mousePressEvent(QMouseEvent* event) {
    const bool rectangle =
        event->button() == Qt::RightButton || event->modifiers().testFlag(Qt::ShiftModifier);
    setSelectionRectMode(rectangle ? QCP::srmZoom : QCP::srmNone);
    QCustomPlot::mousePressEvent(event);
}

void QuantityChart::mouseDoubleClickEvent(QMouseEvent* event) {
    QCustomPlot::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit followRequested();
    }
}

void QuantityChart::resizeEvent(QResizeEvent* event) {
    FitTickCounts();
    QCustomPlot::resizeEvent(event);
}

void QuantityChart::showEvent(QShowEvent* event) {
    QCustomPlot::showEvent(event);
    RedrawNow();  // points that came while hidden were not drawn
}

void QuantityChart::FitTickCounts() {
    // As many ticks as there is room for labels with space between them.
    const QFontMetrics metrics(xAxis->tickLabelFont());
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00.0"));
    xAxis->ticker()->setTickCount(std::clamp(width() / (2 * labelWidth), 2, 8));
    yAxis->ticker()->setTickCount(std::clamp(height() / (3 * metrics.height()), 2, 6));
}
