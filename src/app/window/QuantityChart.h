#pragma once

#include <QChartView>
#include <array>

#include "ChartDecimator.h"

class QLineSeries;
class QValueAxis;

// One measured quantity of the three phases against run time. It follows the
// newest point over a sliding window until the operator zooms with the
// rubber band; ResetZoom() makes it follow again.
class QuantityChart : public QChartView {
    Q_OBJECT

  public:
    static constexpr int kPhases = 3;
    static constexpr double kWindowMinutes = 60.0;

    QuantityChart(const QString& title, const QString& unit, QWidget* parent = nullptr);

    // Adds one reading per phase at `minutes` of run time.
    void AddPoint(double minutes, const std::array<double, kPhases>& values);
    void Clear();
    void ResetZoom();

    bool Following() const { return m_following; }
    int PointCount(int phase) const;
    const ChartDecimator& Data(int phase) const { return m_data[phase]; }

  private:
    void FollowNewest();
    void OnAxisRangeChanged();

    std::array<QLineSeries*, kPhases> m_series{};
    std::array<ChartDecimator, kPhases> m_data;
    QValueAxis* m_timeAxis;
    QValueAxis* m_valueAxis;
    double m_newestMinutes = 0;
    bool m_following = true;
    bool m_applyingRange = false;
};
