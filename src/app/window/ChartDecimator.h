#pragma once

#include <qcustomplot.h>
#include <QSharedPointer>

// Keeps a chart series within a bound however long a run lasts. Up to the
// bound every point is kept (a whole day of points at one a second); past
// it, the older half is folded into buckets that keep only their lowest and
// highest point, so every peak and dip stays visible while the recent part
// keeps its full resolution. Older data gets folded again at each pass, so
// resolution falls off with age. The points live in containers a chart's
// graph shares, so they are held once.
//
// Beside the points it keeps an overview: the lowest and highest of every
// kOverviewBucket points. A view in which that many points share less than
// a pixel looks the same drawn from it, at a fraction of the drawing work.
class ChartDecimator {
  public:
    static constexpr int kDefaultMaxPoints = 200000;
    static constexpr int kOverviewBucket = 8;

    explicit ChartDecimator(int maxPoints = kDefaultMaxPoints);

    // Adds a point. Returns true when older points were folded.
    bool Append(double x, double y);
    void Clear();

    const QSharedPointer<QCPGraphDataContainer>& Data() const { return m_data; }
    // The newest points that do not fill a bucket yet are not in it.
    const QSharedPointer<QCPGraphDataContainer>& Overview() const { return m_overview; }
    int Size() const { return m_data->size(); }
    int MaxPoints() const { return m_maxPoints; }

  private:
    void AddToOverview(const QCPGraphData& point);

    int m_maxPoints;
    QSharedPointer<QCPGraphDataContainer> m_data;
    QSharedPointer<QCPGraphDataContainer> m_overview;
    QCPGraphData m_bucketLow;
    QCPGraphData m_bucketHigh;
    int m_bucketCount = 0;
};
