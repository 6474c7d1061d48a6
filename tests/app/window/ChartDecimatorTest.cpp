#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ChartDecimator.h"

namespace {
QVector<QPointF> Points(const ChartDecimator& data) {
    QVector<QPointF> points;
    for (auto it = data.Data()->constBegin(); it != data.Data()->constEnd(); ++it) {
        points << QPointF(it->key, it->value);
    }
    return points;
}

bool TimeOrdered(const QVector<QPointF>& points) {
    return std::is_sorted(points.cbegin(), points.cend(),
                          [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
}
}  // namespace

TEST(ChartDecimator, KeepsEveryPointUntilFull) {
    ChartDecimator data(100);
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(data.Append(i, i * 2));
    }
    ASSERT_EQ(data.Size(), 100);
    EXPECT_EQ(Points(data)[37], QPointF(37, 74));
}

TEST(ChartDecimator, DayAtOneSecondIsKeptWholeAndFasterRunsStayBoundedWithRecentDetail) {
    ChartDecimator day;  // a 24-hour run at one point per second
    for (int t = 0; t < 24 * 3600; ++t) {
        ASSERT_FALSE(day.Append(t, std::sin(t / 300.0)));
    }
    EXPECT_EQ(day.Size(), 24 * 3600);

    ChartDecimator fast;  // the same day at ten points a second
    const int points = 24 * 36000;
    int folds = 0;
    for (int i = 0; i < points; ++i) {
        folds += fast.Append(i * 0.1, std::sin(i / 3000.0)) ? 1 : 0;
        ASSERT_LE(fast.Size(), fast.MaxPoints());
    }
    EXPECT_GT(folds, 0);
    const QVector<QPointF> kept = Points(fast);
    EXPECT_TRUE(TimeOrdered(kept));
    EXPECT_DOUBLE_EQ(kept.back().x(), (points - 1) * 0.1);
    // The newest stretch is untouched: ten points a second.
    for (int i = kept.size() - 200; i < kept.size(); ++i) {
        EXPECT_NEAR(kept[i].x() - kept[i - 1].x(), 0.1, 1e-9);
    }
}

TEST(ChartDecimator, SpikesAndDipsSurviveRepeatedFolding) {
    ChartDecimator data(64);
    for (int t = 0; t < 5000; ++t) {
        double y = 10;
        if (t == 123) {
            y = 99;  // a short spike early in the run
        } else if (t == 2001) {
            y = -50;  // and a dip
        }
        data.Append(t, y);
    }
    const QVector<QPointF> points = Points(data);
    const auto [low, high] =
        std::minmax_element(points.cbegin(), points.cend(),
                            [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_EQ(*high, QPointF(123, 99));
    EXPECT_EQ(*low, QPointF(2001, -50));
    EXPECT_TRUE(TimeOrdered(points));
}

TEST(ChartDecimator, ClearStartsAgain) {
    ChartDecimator data(32);
    for (int t = 0; t < 100; ++t) {
        data.Append(t, t);
    }
    data.Clear();
    EXPECT_EQ(data.Size(), 0);
    data.Append(0, 5);
    EXPECT_EQ(data.Size(), 1);
}

TEST(ChartDecimator, OverviewKeepsTheLowAndHighOfEveryBucketInTimeOrder) {
    ChartDecimator data;
    const int bucket = ChartDecimator::kOverviewBucket;
    for (int t = 0; t < 10 * bucket + 3; ++t) {
        double y = 10;
        if (t == 2 * bucket + 5) {
            y = 99;
        } else if (t == 2 * bucket + 1) {
            y = -50;  // the dip before the spike in the same bucket
        }
        data.Append(t, y);
    }
    QVector<QPointF> overview;
    for (auto it = data.Overview()->constBegin(); it != data.Overview()->constEnd(); ++it) {
        overview << QPointF(it->key, it->value);
    }
    // Two points for each full bucket; the three newest wait for theirs.
    ASSERT_EQ(overview.size(), 2 * 10);
    EXPECT_TRUE(TimeOrdered(overview));
    EXPECT_EQ(overview[4], QPointF(2 * bucket + 1, -50));
    EXPECT_EQ(overview[5], QPointF(2 * bucket + 5, 99));

    data.Clear();
    EXPECT_TRUE(data.Overview()->isEmpty());
    for (int t = 0; t < bucket; ++t) {
        data.Append(t, 1);
    }
    EXPECT_EQ(data.Overview()->size(), 2);  // no leftovers from before the clear
}
