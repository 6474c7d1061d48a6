#pragma once

#include <qcustomplot.h>
#include <QTimer>
#include <array>

#include "ChartDecimator.h"

// One measured quantity of the three phases against run time in seconds.
// It shows the whole run and follows new points until the operator zooms or
// pans; Follow() shows the whole run again. Mouse: drag pans the time axis,
// the wheel zooms it, a drag with the right button (or with Shift) zooms to
// a rectangle, a double-click asks to follow again. While the time axis is
// the operator's, the value axis still fits the points in view unless it
// was zoomed too. New points are drawn a few times a second, not one by one.
class QuantityChart : public QCustomPlot {
    Q_OBJECT

  public:
    static constexpr int kPhases = 3;
    static constexpr int kRedrawIntervalMs = 250;

    // `nonNegative`: the quantity cannot be below zero, so its axis starts
    // at zero unless a reading does.
    QuantityChart(const QString& title, const QString& unit, bool nonNegative,
                  QWidget* parent = nullptr);

    // Adds one reading per phase at `seconds` of run time.
    void AddPoint(double seconds, const std::array<double, kPhases>& values);
    void Clear();
    void Follow();
    // Shows `range` of run time (chosen on a sibling chart); new points leave it.
    void HoldTimeRange(const QCPRange& range);
    // Draws what is pending now instead of at the next redraw tick.
    void RedrawNow();

    int PointCount(int phase) const { return m_series[phase].Size(); }
    const QCPGraphDataContainer& Data(int phase) const { return *m_series[phase].Data(); }
    static QColor PhaseColour(int phase);

  signals:
    // The operator zoomed or panned the time axis of this chart.
    void timeRangeChosen(const QCPRange& range);
    void followRequested();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void ScheduleRedraw();
    void FitTimeAxis();
    void FitValueAxis();
    void SetRange(QCPAxis* axis, const QCPRange& range);
    void OnTimeRangeChanged(const QCPRange& range);
    void OnValueRangeChanged(const QCPRange& range);
    void FitTickCounts();

    std::array<ChartDecimator, kPhases> m_series;
    std::array<QCPGraph*, kPhases> m_graphs{};
    QTimer m_redraw;
    bool m_nonNegative;
    bool m_followTime = true;
    bool m_fitValues = true;
    bool m_applyingRange = false;
    double m_newest = 0;
    double m_low = 0;
    double m_high = -1;  // low > high: no reading yet
};
