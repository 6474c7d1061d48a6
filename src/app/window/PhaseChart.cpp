#include "PhaseChart.h"

#include <qcustomplot.h>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "PointLog.h"
#include "QuantityChart.h"

namespace {
// Charts squeezed below this height lose their tick labels to their margins.
constexpr int kSmallestChartHeight = 90;
}  // namespace

PhaseChart::PhaseChart(QWidget* parent) : QWidget(parent), m_plot(new QCustomPlot(this)) {
    setObjectName(QStringLiteral("PhaseChart"));
    m_plot->setObjectName(QStringLiteral("PhasePlot"));
    m_plot->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->plotLayout()->setRowSpacing(4);
    m_plot->setMinimumHeight(kQuantities * kSmallestChartHeight);
    // One paint buffer instead of two: every redraw clears and copies each
    // buffer, and the zoom rectangle alone would use the second.
    m_plot->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);

    // Magnitudes from the load: a voltage, a current or a power below zero
    // would be a wrong reading, not one to make room for.
    const QString titles[kQuantities] = {QStringLiteral("Voltage"), QStringLiteral("Current"),
                                         QStringLiteral("Power")};
    const QString units[kQuantities] = {QStringLiteral("V"), QStringLiteral("A"),
                                        QStringLiteral("W")};
    // The time axes line up when the value labels differ in width.
    auto* margins = new QCPMarginGroup(m_plot);
    for (int quantity = 0; quantity < kQuantities; ++quantity) {
        QCPAxisRect* rect = m_plot->axisRect();
        if (quantity > 0) {
            rect = new QCPAxisRect(m_plot);
            m_plot->plotLayout()->addElement(quantity, 0, rect);
        }
        rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
        m_charts[quantity] = new QuantityChart(rect, titles[quantity], units[quantity], true);
        connect(m_charts[quantity], &QuantityChart::timeRangeChosen, this,
                [this, chart = m_charts[quantity]](const QCPRange& range) {
                    ShareTimeRange(chart, range);
                });
    }
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton) {
            ResetZoom();
        }
    });
    m_plot->installEventFilter(this);
    // Whatever set the view (new points, a zoom, a resize), the detail to
    // draw it with follows from how many points it shows.
    connect(m_plot, &QCustomPlot::beforeReplot, this, [this] {
        for (QuantityChart* chart : m_charts) {
            chart->ChooseDetail();
        }
    });

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawIntervalMs);
    connect(&m_redraw, &QTimer::timeout, this, &PhaseChart::RedrawNow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_plot, 1);
    layout->addWidget(BuildLegend());
}

QWidget* PhaseChart::BuildLegend() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 0, 0);
    const char* const names[] = {"Phase A", "Phase B", "Phase C"};
    for (int phase = 0; phase < 3; ++phase) {
        auto* label = new QLabel(
            QStringLiteral("<span style=\"color:%1\">&#9473;&#9473;</span> %2")
                .arg(QuantityChart::PhaseColour(phase).name(), QString::fromLatin1(names[phase])),
            bar);
        row->addWidget(label);
    }
    row->addStretch(1);
    auto* reset = new QPushButton(QStringLiteral("Reset Zoom"), bar);
    reset->setObjectName(QStringLiteral("ResetZoomCommand"));
    reset->setToolTip(
        QStringLiteral("Drag to move along the time axis, turn the wheel to zoom it, drag with the "
                       "right button (or Shift) to zoom into a rectangle. This button, or a "
                       "double-click on a chart, shows the whole run again and follows it."));
    connect(reset, &QPushButton::clicked, this, &PhaseChart::ResetZoom);
    row->addWidget(reset);
    return bar;
}

void PhaseChart::AddPoint(const MeasuredPoint& point) {
    AddPoint(point.secondsSinceStart, point.voltage, point.current, point.power);
}

void PhaseChart::AddPoint(double seconds, const PhaseValues& voltage, const PhaseValues& current,
                          const PhaseValues& power) {
    m_charts[kVoltage]->AddPoint(seconds, voltage);
    m_charts[kCurrent]->AddPoint(seconds, current);
    m_charts[kPower]->AddPoint(seconds, power);
    ScheduleRedraw();
}

void PhaseChart::Clear() {
    for (QuantityChart* chart : m_charts) {
        chart->Clear();
    }
    RedrawNow();
}

void PhaseChart::ResetZoom() {
    for (QuantityChart* chart : m_charts) {
        chart->Follow();
    }
    RedrawNow();
}

void PhaseChart::ScheduleRedraw() {
    if (!m_redraw.isActive()) {
        m_redraw.start();
    }
}

void PhaseChart::RedrawNow() {
    m_redraw.stop();
    for (QuantityChart* chart : m_charts) {
        chart->FitAxes();
    }
    // A hidden plot is drawn when it is shown.
    if (m_plot->isVisible()) {
        m_plot->replot();
    }
}

void PhaseChart::ShareTimeRange(const QuantityChart* source, const QCPRange& range) {
    for (QuantityChart* chart : m_charts) {
        if (chart != source) {
            chart->HoldTimeRange(range);
        }
    }
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void PhaseChart::FitTickCounts() {
    const QSize each(m_plot->width(), m_plot->height() / kQuantities);
    for (QuantityChart* chart : m_charts) {
        chart->FitTickCounts(each);
    }
}

bool PhaseChart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_plot) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                // The right button, or Shift, draws a zoom rectangle; else the drag pans.
                const auto* press = static_cast<QMouseEvent*>(event);
                const bool rectangle = press->button() == Qt::RightButton ||
                                       press->modifiers().testFlag(Qt::ShiftModifier);
                m_plot->setSelectionRectMode(rectangle ? QCP::srmZoom : QCP::srmNone);
                break;
            }
            case QEvent::Resize:
                FitTickCounts();
                break;
            case QEvent::Show:
                RedrawNow();
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
