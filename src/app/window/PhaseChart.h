#pragma once

#include <QWidget>
#include <array>

class QuantityChart;
struct MeasuredPoint;

// The live chart beside the per-phase grid: voltage, current and power of
// the three phases against run time, one point per measurement point.
class PhaseChart : public QWidget {
    Q_OBJECT

  public:
    enum Quantity : int { kVoltage, kCurrent, kPower, kQuantities };

    explicit PhaseChart(QWidget* parent = nullptr);

    void AddPoint(const MeasuredPoint& point);
    void Clear();
    void ResetZoom();

    QuantityChart& Chart(Quantity quantity) const { return *m_charts[quantity]; }

  private:
    std::array<QuantityChart*, kQuantities> m_charts{};
};
