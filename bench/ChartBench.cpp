// The live chart under a long run, in the real window against the in-process
// simulated load:
//   cpu [HOURS]  a discharge measured every 0.1 s; the chart is first given
//                HOURS (default 1) of points at 0.1 s directly, then the
//                process's CPU use is measured in steady state;
//   day          the chart is given 24 hours of points at 1 s per series,
//                then a discharge measured every second goes on while a
//                click is posted every 50 ms: click latency (from posting to
//                the end of its handling) and resident memory.
// Build without sanitizers and run under an X server the size of a desktop:
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target bench_chart
//   xvfb-run -a -s "-screen 0 1920x1080x24" build-release/bench/bench_chart cpu
#include <sys/resource.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "Clock.h"
#include "LanTransport.h"
#include "LoadConnection.h"
#include "MainWindow.h"
#include "Operator.h"
#include "PhaseChart.h"
#include "PointLog.h"
#include "QuantityChart.h"
#include "SimulatedLoad.h"
#include "Station.h"
#include "TestFiles.h"

namespace {
using SteadyClock = std::chrono::steady_clock;

class QuietOperator : public Operator {
  public:
    void ShowMessage(const QString& text, const QString&) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    // A benchmark goes on whatever it is asked.
    int AskChoice(const QString&, const QStringList&, const QStringList&) override { return 0; }
    QString AskOpenFile(const QString&, const QString&) override { return {}; }
    QString AskSaveFile(const QString&, const QString& preset) override { return preset; }
};

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A field of /proc/self/status in MB ("VmRSS", "VmHWM").
double StatusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}

void RunEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A battery-like point: slowly falling voltage, steady current, some noise.
MeasuredPoint SyntheticPoint(double seconds) {
    MeasuredPoint p;
    p.secondsSinceStart = seconds;
    for (int phase = 0; phase < 3; ++phase) {
        const double noise = 0.01 * std::sin(seconds * 1.7 + phase);
        p.voltage[phase] = 54.0 - 6.0 * seconds / 86400.0 + noise;
        p.current[phase] = 10.0 + noise;
        p.power[phase] = p.voltage[phase] * p.current[phase];
    }
    return p;
}

// The window running a long discharge against the simulated load; the
// chart takes the run's points `offsetSeconds` later than they were taken,
// behind the points the benchmark feeds it directly.
struct Session {
    QTemporaryDir home;
    QuietOperator op;
    SimulatedLoad sim;
    Station station{op, SystemClock::Instance(), home.path()};
    std::unique_ptr<MainWindow> window;
    double offsetSeconds = 0;

    explicit Session(double measureTime) {
        WriteProgramFolder(home.path(),
                           {{"DisCharge", "CC", "1", "36000", "0", "0", "0",
                             QString::number(measureTime), "NextStep"}},
                           1, measureTime);
        WindowOptions options;
        options.keepAwake = false;
        options.rememberGeometry = false;
        window = std::make_unique<MainWindow>(station, op, options);
        window->UseSessionLoad(QStringLiteral("127.0.0.1"), sim.ListenTcp(0));
        QObject::disconnect(&station.Control(), &RunControl::pointLogged, &window->Chart(),
                            nullptr);
        QObject::connect(&station.Control(), &RunControl::pointLogged, window.get(),
                         [this](const MeasuredPoint& point) {
                             MeasuredPoint shifted = point;
                             shifted.secondsSinceStart += offsetSeconds;
                             window->Chart().AddPoint(shifted);
                         });
        window->show();
        const QDeadlineTimer deadline(10000);
        while (!station.StartedUp() && !deadline.hasExpired()) {
            RunEvents(20);
        }
        LanTimings quick;
        quick.settleMs = 20;
        station.Connection().SetLanTimings(quick);
        station.Start();
        RunEvents(2000);  // past the connection pass; the chart was cleared at the start
    }

    void Feed(double seconds, double interval) {
        const auto begin = SteadyClock::now();
        const long count = std::lround(seconds / interval);
        for (long i = 0; i < count; ++i) {
            window->Chart().AddPoint(SyntheticPoint(i * interval));
        }
        offsetSeconds = seconds;
        const auto fed = SteadyClock::now();
        RunEvents(0);  // the first paint of all of it
        std::printf("fed %ld points per series in %.1f s, first redraw %.1f s\n", count,
                    std::chrono::duration<double>(fed - begin).count(),
                    std::chrono::duration<double>(SteadyClock::now() - fed).count());
    }

    ~Session() {
        station.Stop();
        RunEvents(500);
        window->close();
    }
};

void CpuAfterHours(double hours) {
    Session s(0.1);
    s.Feed(hours * 3600, 0.1);
    RunEvents(10000);  // settle
    const double cpuBefore = ProcessCpuSeconds();
    const auto start = SteadyClock::now();
    RunEvents(30000);
    const double wall = std::chrono::duration<double>(SteadyClock::now() - start).count();
    std::printf(
        "process CPU at MeasT 0.1 s with %.3g h of points in the chart: %.2f %% of one core\n",
        hours, 100.0 * (ProcessCpuSeconds() - cpuBefore) / wall);
    std::printf("resident memory %.0f MB (peak %.0f MB)\n", StatusMegabytes("VmRSS"),
                StatusMegabytes("VmHWM"));
}

// Presses and releases the mouse on a widget of the window when the event
// loop gets to it; the latency counts from posting to the end of the release.
class ClickProbe : public QObject {
  public:
    ClickProbe(QWidget* target, QPointF at) : m_target(target), m_at(at) {}

    struct Click : QEvent {
        explicit Click(SteadyClock::time_point at) : QEvent(QEvent::User), posted(at) {}
        SteadyClock::time_point posted;
    };

    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) {
            return QObject::event(event);
        }
        const QPointingDevice* mouse = QPointingDevice::primaryPointingDevice();
        const QPointF global = m_target->mapToGlobal(m_at);
        QMouseEvent press(QEvent::MouseButtonPress, m_at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier, mouse);
        QMouseEvent release(QEvent::MouseButtonRelease, m_at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier, mouse);
        QApplication::sendEvent(m_target, &press);
        QApplication::sendEvent(m_target, &release);
        const auto posted = static_cast<Click*>(event)->posted;
        m_latencies.push_back(
            std::chrono::duration<double, std::milli>(SteadyClock::now() - posted).count());
        return true;
    }

    std::vector<double> m_latencies;

  private:
    QWidget* m_target;
    QPointF m_at;
};

// Clicks `target` every 50 ms for `seconds` while the run goes on.
void MeasureClicks(const char* what, QWidget* target, QPointF at, int seconds) {
    ClickProbe probe(target, at);
    std::atomic<bool> clicking{true};
    std::thread poster([&] {
        auto next = SteadyClock::now();
        while (clicking) {
            next += std::chrono::milliseconds(50);
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(&probe, new ClickProbe::Click(SteadyClock::now()));
        }
    });
    RunEvents(seconds * 1000);
    clicking = false;
    poster.join();
    RunEvents(100);

    std::vector<double> ms = probe.m_latencies;
    std::sort(ms.begin(), ms.end());
    const auto share = [&](double part) {
        return ms[std::min(ms.size() - 1, static_cast<size_t>(part * ms.size()))];
    };
    std::printf("%zu clicks on %s: latency median %.1f ms, p99 %.1f ms, worst %.1f ms\n", ms.size(),
                what, share(0.5), share(0.99), ms.back());
}

void DayOfPoints() {
    Session s(1.0);
    s.Feed(24 * 3600, 1.0);
    RunEvents(3000);
    MeasureClicks("the clock text", s.window->findChild<QLabel*>(QStringLiteral("TimeText")),
                  QPointF(5, 5), 30);
    // A click on the chart itself looks for what lies under the pointer.
    if (auto* plot = s.window->findChild<QWidget*>(QStringLiteral("PhasePlot"))) {
        MeasureClicks("the chart", plot, QPointF(plot->width() / 2.0, plot->height() / 2.0), 30);
    }
    if (auto* plot = s.window->findChild<QCustomPlot*>()) {
        std::printf("chart redraw %.1f ms on average%s\n", plot->replotTime(true),
                    s.window->Chart().Chart(PhaseChart::kVoltage).DrawsOverview()
                        ? ", from the overview"
                        : "");
    }
    std::printf("resident memory %.0f MB (peak %.0f MB)\n", StatusMegabytes("VmRSS"),
                StatusMegabytes("VmHWM"));
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("cpu");
    if (mode == "cpu") {
        CpuAfterHours(argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 1.0);
    } else if (mode == "day") {
        DayOfPoints();
    } else {
        std::fprintf(stderr, "usage: bench_chart cpu [HOURS] | day\n");
        return 2;
    }
    return 0;
}
