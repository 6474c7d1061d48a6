#include "ChartDecimator.h"

#include <algorithm>

namespace {
// Each bucket of this many points becomes two: its minimum and its maximum.
constexpr int kBucketSize = 4;
// Below this the fold would keep everything and the bound could not hold.
constexpr int kSmallestBound = 4 * kBucketSize;
}  // namespace

ChartDecimator::ChartDecimator(int maxPoints)
    : m_maxPoints(std::max(maxPoints, kSmallestBound)),
      m_data(QSharedPointer<QCPGraphDataContainer>::create()) {
    // The container would give back memory after every fold, only to grow again.
    m_data->setAutoSqueeze(false);
}

bool ChartDecimator::Append(double x, double y) {
    // Points come in time order and are appended; an earlier one (the clock
    // set back) is sorted in.
    m_data->add(QCPGraphData(x, y));
    if (m_data->size() <= m_maxPoints) {
        return false;
    }
    FoldOlderHalf();
    return true;
}

void ChartDecimator::FoldOlderHalf() {
    const int older = (m_data->size() / 2 / kBucketSize) * kBucketSize;
    QVector<QCPGraphData> folded;
    folded.reserve(m_data->size() - older / 2);
    const auto lower = [](const QCPGraphData& a, const QCPGraphData& b) {
        return a.value < b.value;
    };
    for (int first = 0; first < older; first += kBucketSize) {
        const auto begin = m_data->at(first);
        const auto [low, high] = std::minmax_element(begin, begin + kBucketSize, lower);
        // Keep the two in time order so the line runs forward.
        if (low < high) {
            folded << *low << *high;
        } else {
            folded << *high << *low;
        }
    }
    for (auto it = m_data->at(older); it != m_data->constEnd(); ++it) {
        folded << *it;
    }
    m_data->set(folded, true);
}
