#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <cmath>

#include "PhaseChart.h"
#include "QuantityChart.h"
#include "WindowFixture.h"

namespace {
constexpr PhaseChart::Quantity kAll[] = {PhaseChart::kVoltage, PhaseChart::kCurrent,
                                         PhaseChart::kPower};

void AddConstant(PhaseChart& chart, double value, int seconds, int from = 0) {
    const PhaseChart::PhaseValues same{value, value, value};
    for (int t = from; t < from + seconds; ++t) {
        chart.AddPoint(t, same, same, same);
    }
}

// Tick labels a person can read: more than one, none repeated or cut
// short, and spaced so that they do not run into each other.
void ExpectReadableTicks(const QCPAxis* axis, const std::string& what) {
    const QVector<QString> labels = axis->tickVectorLabels();
    const QVector<double> ticks = axis->tickVector();
    ASSERT_GE(labels.size(), 2) << what;
    EXPECT_EQ(QSet<QString>(labels.cbegin(), labels.cend()).size(), labels.size())
        << what << ": " << QStringList(labels.toList()).join(" ").toStdString();
    const QFontMetrics metrics(axis->tickLabelFont());
    for (int i = 0; i < labels.size(); ++i) {
        EXPECT_FALSE(labels[i].contains("...") || labels[i].contains(QChar(0x2026))) << what;
        if (i == 0) {
            continue;
        }
        const double gap =
            std::fabs(axis->coordToPixel(ticks[i]) - axis->coordToPixel(ticks[i - 1]));
        const double room = axis->orientation() == Qt::Horizontal
                                ? (metrics.horizontalAdvance(labels[i]) +
                                   metrics.horizontalAdvance(labels[i - 1])) /
                                      2.0
                                : metrics.height();
        EXPECT_GT(gap, room) << what << ": " << labels[i - 1].toStdString() << " and "
                             << labels[i].toStdString();
    }
}

class PhaseChartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        chart.resize(600, 450);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }

    QCPAxis* Time(PhaseChart::Quantity q) const { return chart.Chart(q).TimeAxis(); }
    QCPAxis* Value(PhaseChart::Quantity q) const { return chart.Chart(q).ValueAxis(); }
    QPoint Middle(PhaseChart::Quantity q) const { return Time(q)->axisRect()->rect().center(); }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, chart.Plot().mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&chart.Plot(), &event);
    }
    void Drag(QPoint from, QPoint to, Qt::MouseButton button) {
        Mouse(QEvent::MouseButtonPress, from, button, button);
        for (int step = 1; step <= 4; ++step) {
            Mouse(QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton, button);
        }
        Mouse(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }

    PhaseChart chart;
};
}  // namespace

TEST_F(PhaseChartTest, ConstantReadingsGetRoundDistinctTicksAndNoNegativeAxis) {
    for (const QSize size : {QSize(600, 450), QSize(300, 300)}) {
        chart.resize(size);
        for (double value : {0.0, 53.9, 123.4, 0.0005, 12345.6, 1e-7}) {
            const std::string what = std::to_string(value) + " at " + std::to_string(size.width()) +
                                     "x" + std::to_string(size.height());
            chart.Clear();
            AddConstant(chart, value, 100);
            chart.RedrawNow();
            for (PhaseChart::Quantity q : kAll) {
                const QCPRange range = Value(q)->range();
                EXPECT_GE(range.lower, 0) << what;
                EXPECT_TRUE(range.contains(value)) << what;
                ExpectReadableTicks(Value(q), what);
                ExpectReadableTicks(Time(q), what);
                // Round ticks: whole multiples of a step of 1, 2, 2.5 or 5 times a power of ten.
                const QVector<double> ticks = Value(q)->tickVector();
                const double step = ticks[1] - ticks[0];
                const double mantissa = step / std::pow(10, std::floor(std::log10(step)));
                EXPECT_TRUE(
                    QVector<double>({1, 2, 2.5, 5}).contains(std::round(mantissa * 10) / 10))
                    << what << " step " << step;
                for (double tick : ticks) {
                    EXPECT_NEAR(tick / step, std::round(tick / step), 1e-6) << what;
                }
            }
        }
    }
    // Readings below zero are shown, not cut off.
    chart.Clear();
    AddConstant(chart, -5, 10);
    chart.RedrawNow();
    EXPECT_LT(Value(PhaseChart::kCurrent)->range().lower, -5);
}

TEST_F(PhaseChartTest, ZoomAndPanStayWhilePointsArriveUntilTheWholeRunIsShownAgain) {
    AddConstant(chart, 10, 600);
    chart.RedrawNow();
    const QCPRange whole = Time(PhaseChart::kVoltage)->range();
    EXPECT_EQ(whole.lower, 0);
    EXPECT_GE(whole.upper, 599);

    // The wheel zooms the time axis of all three charts.
    const QPoint middle = Middle(PhaseChart::kCurrent);
    QWheelEvent wheel(middle, chart.Plot().mapToGlobal(middle), QPoint(), QPoint(0, 720),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart.Plot(), &wheel);
    const QCPRange zoomed = Time(PhaseChart::kCurrent)->range();
    EXPECT_LT(zoomed.size(), whole.size() / 2);
    for (PhaseChart::Quantity q : kAll) {
        EXPECT_EQ(Time(q)->range(), zoomed);
    }

    // New points, higher than all before, leave the time axis where it was
    // while the value axis fits what is in view.
    AddConstant(chart, 20, 600, 600);
    QTest::qWait(3 * PhaseChart::kRedrawIntervalMs);
    EXPECT_EQ(Time(PhaseChart::kPower)->range(), zoomed);
    EXPECT_LT(Value(PhaseChart::kCurrent)->range().upper, 20);

    // Dragging pans, but not to before the start.
    Drag(middle, middle + QPoint(2000, 0), Qt::LeftButton);
    EXPECT_EQ(Time(PhaseChart::kVoltage)->range().lower, 0);
    EXPECT_NEAR(Time(PhaseChart::kVoltage)->range().size(), zoomed.size(), 1e-6);

    // A right-button rectangle zooms both axes of its chart; its values stay
    // the operator's too.
    const QPoint corner = middle - QPoint(40, 30);
    Drag(corner, middle + QPoint(40, 30), Qt::RightButton);
    const QCPRange values = Value(PhaseChart::kCurrent)->range();
    EXPECT_LT(Time(PhaseChart::kCurrent)->range().size(), zoomed.size());
    EXPECT_EQ(Time(PhaseChart::kVoltage)->range(), Time(PhaseChart::kCurrent)->range());
    AddConstant(chart, 50, 10, 1200);
    chart.RedrawNow();
    EXPECT_EQ(Value(PhaseChart::kCurrent)->range(), values);

    // A double-click shows the whole run again and follows it.
    Mouse(QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonDblClick, middle, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton);
    EXPECT_GE(Time(PhaseChart::kPower)->range().upper, 1209);
    EXPECT_GE(Value(PhaseChart::kCurrent)->range().upper, 50);
    AddConstant(chart, 50, 100, 1210);
    chart.RedrawNow();
    EXPECT_GE(Time(PhaseChart::kVoltage)->range().upper, 1309);

    // So does Reset Zoom after a zoom.
    QApplication::sendEvent(&chart.Plot(), &wheel);
    ASSERT_LT(Time(PhaseChart::kVoltage)->range().upper, 1309);
    chart.findChild<QPushButton*>("ResetZoomCommand")->click();
    EXPECT_GE(Time(PhaseChart::kVoltage)->range().upper, 1309);
}

TEST_F(PhaseChartTest, ADayInViewIsDrawnFromTheOverviewAndAZoomedStretchFromEveryPoint) {
    AddConstant(chart, 10, 24 * 3600);
    chart.RedrawNow();
    const QuantityChart& voltage = chart.Chart(PhaseChart::kVoltage);
    EXPECT_TRUE(voltage.DrawsOverview());

    // Zoomed into ten minutes, every point is drawn again.
    Time(PhaseChart::kVoltage)->setRange(3600, 4200);
    chart.RedrawNow();
    EXPECT_FALSE(voltage.DrawsOverview());
    const auto* graph = chart.Plot().graph(0);
    EXPECT_EQ(graph->data()->size(), voltage.PointCount(0));

    chart.ResetZoom();
    chart.RedrawNow();
    EXPECT_TRUE(voltage.DrawsOverview());
    EXPECT_LT(chart.Plot().graph(0)->data()->size(), voltage.PointCount(0));
}

TEST(PhaseChartInWindow, ChartsKeepRoomAndReadableTicksAtSmallWindowSizes) {
    WindowFixture f;
    f.StartUp();
    PhaseChart& chart = f.window->Chart();
    AddConstant(chart, 53.9, 3600);
    for (const QSize size : {QSize(1280, 800), QSize(1024, 700)}) {
        f.window->resize(size);
        QTest::qWait(50);
        chart.RedrawNow();
        const std::string what = std::to_string(size.width()) + "x" + std::to_string(size.height());
        // The window fits: no frame holds it wider or taller than the screen.
        EXPECT_EQ(f.window->size(), size) << what;
        for (PhaseChart::Quantity q : kAll) {
            const QRect plot = chart.Chart(q).TimeAxis()->axisRect()->rect();
            EXPECT_GE(plot.width(), 200) << what;
            EXPECT_GE(plot.height(), 80) << what;
            ExpectReadableTicks(chart.Chart(q).TimeAxis(), what);
            ExpectReadableTicks(chart.Chart(q).ValueAxis(), what);
        }
    }
}
