#pragma once

#include <qcustomplot.h>
#include <QSharedPointer>

// Keeps a chart series within a bound however long a run lasts. Up to the
// bound every point is kept (a whole day of points at one a second); past
// it, the older half is folded into buckets that keep only their lowest and
// highest point, so every peak and dip stays visible while the recent part
// keeps its full resolution. Older data gets folded again at each pass, so
// resolution falls off with age. The points live in a container a chart's
// graph shares, so they are held once.
class ChartDecimator {
  public:
    static constexpr int kDefaultMaxPoints = 200000;

    explicit ChartDecimator(int maxPoints = kDefaultMaxPoints);

    // Adds a point. Returns true when older points were folded.
    bool Append(double x, double y);
    void Clear() { m_data->clear(); }

    const QSharedPointer<QCPGraphDataContainer>& Data() const { return m_data; }
    int Size() const { return m_data->size(); }
    int MaxPoints() const { return m_maxPoints; }

  private:
    void FoldOlderHalf();

    int m_maxPoints;
    QSharedPointer<QCPGraphDataContainer> m_data;
};
