#include "ChartDecimator.h"

#include <algorithm>

namespace {
// Each bucket of this many points becomes two: its minimum and its maximum.
constexpr int kBucketSize = 4;
// Below this the fold would keep everything and the bound could not hold.
constexpr int kSmallestBound = 4 * kBucketSize;
}  // namespace

ChartDecimator::ChartDecimator(int maxPoints) : m_maxPoints(std::max(maxPoints, kSmallestBound)) {
    m_points.reserve(m_maxPoints + 1);
}

bool ChartDecimator::Append(const QPointF& point) {
    m_points.push_back(point);
    if (m_points.size() <= m_maxPoints) {
        return false;
    }
    FoldOlderHalf();
    return true;
}

void ChartDecimator::FoldOlderHalf() {
    const int older = (m_points.size() / 2 / kBucketSize) * kBucketSize;
    QVector<QPointF> folded;
    folded.reserve(m_points.size() - older / 2);
    for (int first = 0; first < older; first += kBucketSize) {
        const auto begin = m_points.cbegin() + first;
        const auto end = begin + kBucketSize;
        const auto [low, high] = std::minmax_element(
            begin, end, [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
        // Keep the two in time order so the line runs forward.
        if (low < high) {
            folded << *low << *high;
        } else {
            folded << *high << *low;
        }
    }
    folded.append(m_points.mid(older));
    m_points = std::move(folded);
}
