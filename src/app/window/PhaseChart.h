#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

class QCPRange;
class QCustomPlot;
class QuantityChart;
struct MeasuredPoint;

// Voltage, current and power of the three phases against run time, three
// charts in one plot over a shared time axis: zooming or panning one shows
// the same stretch of time in all three. Mouse: dragging moves along the
// time axis, the wheel zooms it, dragging with the right button (or with
// Shift) zooms into a rectangle, a double-click shows the whole run again.
// New points are drawn a few times a second, not one by one. Beside the
// run view it takes the run's points; the log viewer fills it from a log.
class PhaseChart : public QWidget {
    Q_OBJECT

  public:
    enum Quantity : int { kVoltage, kCurrent, kPower, kQuantities };
    using PhaseValues = std::array<double, 3>;
    static constexpr int kRedrawIntervalMs = 500;

    explicit PhaseChart(QWidget* parent = nullptr);

    void AddPoint(const MeasuredPoint& point);
    void AddPoint(double seconds, const PhaseValues& voltage, const PhaseValues& current,
                  const PhaseValues& power);
    void Clear();
    // Shows the whole run again in all three charts and follows new points.
    void ResetZoom();
    // Draws what is pending now instead of at the next redraw tick.
    void RedrawNow();

    QuantityChart& Chart(Quantity quantity) const { return *m_charts[quantity]; }
    QCustomPlot& Plot() const { return *m_plot; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildLegend();
    void ShareTimeRange(const QuantityChart* source, const QCPRange& range);
    void ScheduleRedraw();
    void FitTickCounts();

    QCustomPlot* m_plot;
    std::array<QuantityChart*, kQuantities> m_charts{};
    QTimer m_redraw;
};
