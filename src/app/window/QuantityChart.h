#pragma once

#include <qcustomplot.h>
#include <QObject>
#include <array>

#include "ChartDecimator.h"

// One measured quantity of the three phases against run time in seconds:
// an axis rectangle of the phase chart's plot with a graph per phase. It
// shows the whole run and follows new points until the operator zooms or
// pans its time axis; Follow() shows the whole run again. While the time
// axis is the operator's, the value axis still fits the points in view
// unless it was zoomed too. The plot is redrawn by its owner.
class QuantityChart : public QObject {
    Q_OBJECT

  public:
    static constexpr int kPhases = 3;

    // `nonNegative`: the quantity cannot be below zero, so its axis starts
    // at zero unless a reading does.
    QuantityChart(QCPAxisRect* rect, const QString& title, const QString& unit, bool nonNegative);

    // Adds one reading per phase at `seconds` of run time.
    void AddPoint(double seconds, const std::array<double, kPhases>& values);
    void Clear();
    void Follow();
    // Shows `range` of run time (chosen on a sibling chart); new points leave it.
    void HoldTimeRange(const QCPRange& range);
    // Sets the axes for the next redraw: the whole run while following, the
    // values in view while they are not the operator's.
    void FitAxes();
    // Room for tick labels at this size of the rectangle.
    void FitTickCounts(const QSize& size);
    // Draws from the overview of the points when so many are in view that
    // one of its buckets is narrower than half a pixel; from every point else.
    void ChooseDetail();
    bool DrawsOverview() const { return m_drawsOverview; }

    int PointCount(int phase) const { return m_series[phase].Size(); }
    const QCPGraphDataContainer& Data(int phase) const { return *m_series[phase].Data(); }
    QCPAxis* TimeAxis() const { return m_time; }
    QCPAxis* ValueAxis() const { return m_value; }
    static QColor PhaseColour(int phase);
    // The pen of a phase's line; `dense` when many points share each pixel.
    static QPen PhasePen(int phase, bool dense);

  signals:
    // The operator zoomed or panned the time axis of this chart.
    void timeRangeChosen(const QCPRange& range);

  private:
    void FitValueAxis();
    void SetRange(QCPAxis* axis, const QCPRange& range);
    void OnTimeRangeChanged(const QCPRange& range);
    void OnValueRangeChanged(const QCPRange& range);

    QCPAxis* m_time;
    QCPAxis* m_value;
    std::array<ChartDecimator, kPhases> m_series;
    std::array<QCPGraph*, kPhases> m_graphs{};
    bool m_nonNegative;
    bool m_followTime = true;
    bool m_fitValues = true;
    bool m_applyingRange = false;
    bool m_drawsOverview = false;
    double m_newest = 0;
    double m_low = 0;
    double m_high = -1;  // low > high: no reading yet
};
