#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ChartDecimator.h"

namespace {
bool TimeOrdered(const QVector<QPointF>& points) {
    return std::is_sorted(points.cbegin(), points.cend(),
                          [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
}
}  // namespace

TEST(ChartDecimator, KeepsEveryPointUntilFull) {
    ChartDecimator data(100);
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(data.Append(QPointF(i, i * 2)));
    }
    ASSERT_EQ(data.Points().size(), 100);
    EXPECT_EQ(data.Points()[37], QPointF(37, 74));
}

TEST(ChartDecimator, DayOfSecondPointsStaysBoundedInTimeOrderWithRecentDetail) {
    ChartDecimator data;  // a 24-hour run at one point per second
    const int seconds = 24 * 3600;
    int folds = 0;
    for (int t = 0; t < seconds; ++t) {
        folds += data.Append(QPointF(t, std::sin(t / 300.0))) ? 1 : 0;
        ASSERT_LE(data.Points().size(), data.MaxPoints());
    }
    EXPECT_GT(folds, 0);
    EXPECT_TRUE(TimeOrdered(data.Points()));
    EXPECT_EQ(data.Points().back().x(), seconds - 1);
    // The newest stretch is untouched: one point per second.
    const QVector<QPointF>& points = data.Points();
    for (int i = points.size() - 200; i < points.size(); ++i) {
        EXPECT_EQ(points[i].x() - points[i - 1].x(), 1.0);
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
        data.Append(QPointF(t, y));
    }
    const QVector<QPointF>& points = data.Points();
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
        data.Append(QPointF(t, t));
    }
    data.Clear();
    EXPECT_TRUE(data.Points().isEmpty());
    data.Append(QPointF(0, 5));
    EXPECT_EQ(data.Points().size(), 1);
}
