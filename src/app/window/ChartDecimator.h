#pragma once

#include <QPointF>
#include <QVector>

// Keeps a chart series within a fixed number of points however long a run
// lasts. When the series is full, its older half is folded into buckets that
// keep only their lowest and highest point, so every peak and dip stays
// visible while the recent part keeps its full resolution. Older data gets
// folded again at each pass, so resolution falls off with age.
class ChartDecimator {
  public:
    static constexpr int kDefaultMaxPoints = 2000;

    explicit ChartDecimator(int maxPoints = kDefaultMaxPoints);

    // Adds a point; x must not decrease. Returns true when older points were
    // folded, so a view must take the whole series again rather than append.
    bool Append(const QPointF& point);
    void Clear() { m_points.clear(); }

    const QVector<QPointF>& Points() const { return m_points; }
    int MaxPoints() const { return m_maxPoints; }

  private:
    void FoldOlderHalf();

    int m_maxPoints;
    QVector<QPointF> m_points;
};
