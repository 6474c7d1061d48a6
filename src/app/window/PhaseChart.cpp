#include "PhaseChart.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "PointLog.h"
#include "QuantityChart.h"

namespace {
// Charts squeezed below this height lose their tick labels to their margins.
constexpr int kSmallestChartHeight = 90;
}  // namespace

PhaseChart::PhaseChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PhaseChart"));
    // Magnitudes from the load: a voltage, a current or a power below zero
    // would be a wrong reading, not one to make room for.
    m_charts[kVoltage] =
        new QuantityChart(QStringLiteral("Voltage"), QStringLiteral("V"), true, this);
    m_charts[kCurrent] =
        new QuantityChart(QStringLiteral("Current"), QStringLiteral("A"), true, this);
    m_charts[kPower] = new QuantityChart(QStringLiteral("Power"), QStringLiteral("W"), true, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QuantityChart* chart : m_charts) {
        chart->setMinimumHeight(kSmallestChartHeight);
        layout->addWidget(chart, 1);
        connect(chart, &QuantityChart::timeRangeChosen, this,
                [this, chart](const QCPRange& range) { ShareTimeRange(chart, range); });
        connect(chart, &QuantityChart::followRequested, this, &PhaseChart::ResetZoom);
    }
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
}

void PhaseChart::Clear() {
    for (QuantityChart* chart : m_charts) {
        chart->Clear();
    }
}

void PhaseChart::ResetZoom() {
    for (QuantityChart* chart : m_charts) {
        chart->Follow();
    }
}

void PhaseChart::ShareTimeRange(const QuantityChart* source, const QCPRange& range) {
    for (QuantityChart* chart : m_charts) {
        if (chart != source) {
            chart->HoldTimeRange(range);
        }
    }
}
