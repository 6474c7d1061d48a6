#include "PhaseChart.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "PointLog.h"
#include "QuantityChart.h"

PhaseChart::PhaseChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PhaseChart"));
    m_charts[kVoltage] = new QuantityChart(QStringLiteral("Voltage"), QStringLiteral("V"), this);
    m_charts[kCurrent] = new QuantityChart(QStringLiteral("Current"), QStringLiteral("A"), this);
    m_charts[kPower] = new QuantityChart(QStringLiteral("Power"), QStringLiteral("W"), this);

    auto* reset = new QPushButton(QStringLiteral("Reset Zoom"), this);
    reset->setObjectName(QStringLiteral("ResetZoomCommand"));
    reset->setToolTip(
        QStringLiteral("Drag a rectangle on a chart to zoom; this shows the last "
                       "hour again and follows the run"));
    connect(reset, &QPushButton::clicked, this, &PhaseChart::ResetZoom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QuantityChart* chart : m_charts) {
        chart->setMinimumHeight(120);
        layout->addWidget(chart, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(reset);
    layout->addLayout(buttons);
}

void PhaseChart::AddPoint(const MeasuredPoint& point) {
    const double minutes = point.secondsSinceStart / 60.0;
    m_charts[kVoltage]->AddPoint(minutes, point.voltage);
    m_charts[kCurrent]->AddPoint(minutes, point.current);
    m_charts[kPower]->AddPoint(minutes, point.power);
}

void PhaseChart::Clear() {
    for (QuantityChart* chart : m_charts) {
        chart->Clear();
    }
}

void PhaseChart::ResetZoom() {
    for (QuantityChart* chart : m_charts) {
        chart->ResetZoom();
    }
}
