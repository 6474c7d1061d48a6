#pragma once

#include <QWidget>
#include <array>

class QCPRange;
class QuantityChart;
struct MeasuredPoint;

// Voltage, current and power of the three phases against run time, one
// chart each over a shared time axis: zooming or panning one shows the same
// stretch of time in all three. Beside the live run view it takes the run's
// points; the log viewer fills it from a data log.
class PhaseChart : public QWidget {
    Q_OBJECT

  public:
    enum Quantity : int { kVoltage, kCurrent, kPower, kQuantities };
    using PhaseValues = std::array<double, 3>;

    explicit PhaseChart(QWidget* parent = nullptr);

    void AddPoint(const MeasuredPoint& point);
    void AddPoint(double seconds, const PhaseValues& voltage, const PhaseValues& current,
                  const PhaseValues& power);
    void Clear();
    // Shows the whole run again in all three charts and follows new points.
    void ResetZoom();

    QuantityChart& Chart(Quantity quantity) const { return *m_charts[quantity]; }

  private:
    QWidget* BuildLegend();
    void ShareTimeRange(const QuantityChart* source, const QCPRange& range);

    std::array<QuantityChart*, kQuantities> m_charts{};
};
