#pragma once

#include <QList>
#include <QWidget>

class PhaseChart;
struct MeasuredPoint;

// The live chart of one station in the fleet: the window's own phase chart,
// fed with the station's points as they arrive.
class StationChartWindow : public QWidget {
    Q_OBJECT

  public:
    StationChartWindow(const QString& prefix, const QString& title,
                       const QList<MeasuredPoint>& history, QWidget* parent = nullptr);

    const QString& Prefix() const { return m_prefix; }
    PhaseChart& Chart() const { return *m_chart; }
    void AddPoint(const QString& prefix, const MeasuredPoint& point, bool restarted);

  private:
    QString m_prefix;
    PhaseChart* m_chart;
};
