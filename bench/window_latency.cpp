// Worst delay between a click reaching the window's queue and the window
// handling it, through a whole run of the demo test against the in-process
// simulated load. A click is posted every 100 ms from another thread, so a
// window thread that is busy shows up as latency instead of hiding it.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "Clock.h"
#include "LocalTimeZone.h"
#include "MainWindow.h"
#include "Operator.h"
#include "SimulatedLoad.h"
#include "Station.h"

namespace {
using SteadyClock = std::chrono::steady_clock;
constexpr auto kClickInterval = std::chrono::milliseconds(100);
constexpr int kRunTimeoutMs = 180000;

// Answers every save with the test file the run uses; messages go to stderr.
class BenchOperator : public Operator {
  public:
    void ShowMessage(const QString& text, const QString&) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    // A benchmark goes on whatever it is asked.
    int AskChoice(const QString&, const QStringList&, const QStringList&) override { return 0; }
    QString AskOpenFile(const QString&, const QString&) override { return QString(); }
    QString AskSaveFile(const QString&, const QString& preset) override { return preset; }
};

// Times posted clicks from the moment they were posted to their arrival.
class ClickTimer : public QObject {
  public:
    explicit ClickTimer(Station& station) : m_station(station) {}

    void Posted(SteadyClock::time_point at) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_posted.push_back(at);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto now = SteadyClock::now();
            SteadyClock::time_point posted;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                posted = m_posted.at(m_handled++);
            }
            const double ms = std::chrono::duration<double, std::milli>(now - posted).count();
            const QString step = StepName();
            m_worstByStep[step] = std::max(m_worstByStep[step], ms);
            m_worst = std::max(m_worst, ms);
            ++m_clicks;
        }
        return QObject::eventFilter(watched, event);
    }

    double Worst() const { return m_worst; }
    int Clicks() const { return m_clicks; }
    const std::map<QString, double>& WorstByStep() const { return m_worstByStep; }

  private:
    QString StepName() {
        if (!m_station.State().Running) {
            return QStringLiteral("(idle)");
        }
        const int step = m_station.State().CurrentStep;
        if (step >= m_station.Test().TotalStepCount()) {
            return QStringLiteral("(stopping)");
        }
        return QStringLiteral("%1 %2")
            .arg(step + 1, 2)
            .arg(m_station.Test().Table().Cell(step + 1, 1));
    }

    Station& m_station;
    std::mutex m_mutex;
    std::vector<SteadyClock::time_point> m_posted;
    size_t m_handled = 0;
    std::map<QString, double> m_worstByStep;
    double m_worst = 0;
    int m_clicks = 0;
};

bool CopyFolder(const QString& from, const QString& to) {
    for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files)) {
        if (!QFile::copy(file.absoluteFilePath(), QDir(to).filePath(file.fileName()))) {
            return false;
        }
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ReadLocalTimeZoneOnce();
    QApplication app(argc, argv);
    const QString demo = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                                        QStringLiteral("/../examples/demo");
    QTemporaryDir home;
    if (!home.isValid() || !CopyFolder(demo, home.path())) {
        std::fprintf(stderr, "cannot copy the demo folder %s\n", demo.toLocal8Bit().constData());
        return 1;
    }

    SimulatedLoad sim;
    QString error;
    const quint16 port = sim.ListenTcp(0, &error);
    if (port == 0) {
        std::fprintf(stderr, "simulated load: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    BenchOperator op;
    Station station(op, SystemClock::Instance(), home.path());
    WindowOptions options;
    options.keepAwake = false;
    options.rememberGeometry = false;
    MainWindow window(station, op, options);
    window.UseSessionLoad(QStringLiteral("127.0.0.1"), port);

    ClickTimer timer(station);
    auto* target = window.findChild<QLabel*>(QStringLiteral("TimeText"));
    target->installEventFilter(&timer);
    const QPointingDevice* mouse = QPointingDevice::primaryPointingDevice();

    std::atomic<bool> clicking{true};
    std::thread poster([&] {
        auto next = SteadyClock::now();
        const QPointF at(5, 5);
        while (clicking) {
            next += kClickInterval;
            std::this_thread::sleep_until(next);
            timer.Posted(SteadyClock::now());
            QCoreApplication::postEvent(
                target, new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton,
                                        Qt::LeftButton, Qt::NoModifier, mouse));
            QCoreApplication::postEvent(
                target, new QMouseEvent(QEvent::MouseButtonRelease, at, at, Qt::LeftButton,
                                        Qt::NoButton, Qt::NoModifier, mouse));
        }
    });

    bool ended = false;
    QObject::connect(&station, &Station::startedUp, &station,
                     [&] { QTimer::singleShot(0, &station, &Station::Start); });
    QObject::connect(&station.Control(), &RunControl::runEnded, &app, [&](RunOutcome outcome) {
        ended = outcome == RunOutcome::Finished;
        QTimer::singleShot(300, &app, &QCoreApplication::quit);
    });
    QTimer::singleShot(kRunTimeoutMs, &app, &QCoreApplication::quit);
    window.show();
    app.exec();
    clicking = false;
    poster.join();

    std::printf("clicks handled: %d, run %s\n", timer.Clicks(),
                ended ? "finished" : "did NOT finish");
    std::printf("worst click latency by step:\n");
    for (const auto& [step, worst] : timer.WorstByStep()) {
        std::printf("  %-22s %8.1f ms\n", step.toLocal8Bit().constData(), worst);
    }
    std::printf("worst click latency: %.1f ms\n", timer.Worst());
    return ended ? 0 : 1;
}
