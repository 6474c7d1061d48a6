#include "ChartDecimator.h"

#include <algorithm>

namespace {
// Each bucket of this many points becomes two: its minimum and its maximum.
constexpr int kBucketSize = 4;
// Below this the fold would keep everything and the bound could not hold.
constexpr int kSmallestBound = 4 * kBucketSize;

// Both in time order, so that the line runs forward.
void AddLowAndHigh(QVector<QCPGraphData>& to, const QCPGraphData& low, const QCPGraphData& high) {
    if (low.key <= high.key) {
        to << low << high;
    } else {
        to << high << low;
    }
}

void FoldOlderHalf(QCPGraphDataContainer& data) {
    const int older = (data.size() / 2 / kBucketSize) * kBucketSize;
    QVector<QCPGraphData> folded;
    folded.reserve(data.size() - older / 2);
    const auto lower = [](const QCPGraphData& a, const QCPGraphData& b) {
        return a.value < b.value;
    };
    for (int first = 0; first < older; first += kBucketSize) {
        const auto begin = data.at(first);
        const auto [low, high] = std::minmax_element(begin, begin + kBucketSize, lower);
        AddLowAndHigh(folded, *low, *high);
    }
    for (auto it = data.at(older); it != data.constEnd(); ++it) {
        folded << *it;
    }
    data.set(folded, true);
}

QSharedPointer<QCPGraphDataContainer> NewContainer() {
    auto data = QSharedPointer<QCPGraphDataContainer>::create();
    // The container would give back memory after every fold, only to grow again.
    data->setAutoSqueeze(false);
    return data;
}
}  // namespace

ChartDecimator::ChartDecimator(int maxPoints)
    : m_maxPoints(std::max(maxPoints, kSmallestBound)),
      m_data(NewContainer()),
      m_overview(NewContainer()) {}

bool ChartDecimator::Append(double x, double y) {
    // Points come in time order and are appended; an earlier one (the clock
    // set back) is sorted in.
    const QCPGraphData point(x, y);
    m_data->add(point);
    AddToOverview(point);
    if (m_data->size() <= m_maxPoints) {
        return false;
    }
    FoldOlderHalf(*m_data);
    return true;
}

void ChartDecimator::AddToOverview(const QCPGraphData& point) {
    if (m_bucketCount == 0 || point.value < m_bucketLow.value) {
        m_bucketLow = point;
    }
    if (m_bucketCount == 0 || point.value >= m_bucketHigh.value) {
        m_bucketHigh = point;
    }
    if (++m_bucketCount < kOverviewBucket) {
        return;
    }
    QVector<QCPGraphData> both;
    AddLowAndHigh(both, m_bucketLow, m_bucketHigh);
    m_overview->add(both, true);
    m_bucketCount = 0;
    if (m_overview->size() > m_maxPoints) {
        FoldOlderHalf(*m_overview);
    }
}

void ChartDecimator::Clear() {
    m_data->clear();
    m_overview->clear();
    m_bucketCount = 0;
}
