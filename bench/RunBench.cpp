// Measures two things of a run against the in-process simulated load:
//  - Stop latency: from the Stop click to "LOAD OFF" arriving at the load,
//    with the click landing at many moments of a demo-like test;
//  - CPU use of the window thread during a discharge at a 1 s measuring
//    interval.
// Build without sanitizers:
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target bench_run && build-release/bench/bench_run
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "Clock.h"
#include "LanTransport.h"
#include "LoadConnection.h"
#include "Operator.h"
#include "SimulatedLoad.h"
#include "Station.h"
#include "TestFiles.h"

namespace {
class QuietOperator : public Operator {
  public:
    void ShowMessage(const QString&, const QString&) override {}
    // A benchmark goes on whatever it is asked.
    int AskChoice(const QString&, const QStringList&, const QStringList&) override { return 0; }
    QString AskOpenFile(const QString&, const QString&) override { return {}; }
    QString AskSaveFile(const QString&, const QString&) override { return {}; }
};

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Session {
    QTemporaryDir home;
    QuietOperator op;
    SimulatedLoad sim;
    Station station{op, SystemClock::Instance(), home.path()};
    std::optional<RunOutcome> outcome;

    Session(const QList<QStringList>& steps, double measureTime, const QString& journal)
        : sim([&] {
              SimOptions o;
              o.journalPath = journal;
              return o;
          }()) {
        WriteProgramFolder(home.path(), steps, 1, measureTime);
        station.StartUp();
        LanTimings quick;
        quick.settleMs = 20;
        station.Connection().SetLanTimings(quick);
        station.UseLanLoad("127.0.0.1", sim.ListenTcp(0));
        QObject::connect(&station.Control(), &RunControl::runEnded,
                         [this](RunOutcome o) { outcome = o; });
    }
    void RunFor(int ms) {
        const QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && !outcome) {
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
};

// The journal's time of the first "LOAD OFF" at or after `after`.
std::optional<QDateTime> LoadOffAfter(const QString& journal, const QDateTime& after) {
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const int space = line.indexOf(' ');
        if (space < 0 || line.mid(space + 1) != QLatin1String("LOAD OFF")) {
            continue;
        }
        const QDateTime at = QDateTime::fromString(line.left(space), Qt::ISODateWithMs);
        if (at.isValid() && at >= after.addMSecs(-1)) {
            return at;
        }
    }
    return std::nullopt;
}

void StopLatency(int trials) {
    // Every kind of step: rest, discharge with a settling wait, pulse, ramp, level.
    const QList<QStringList> steps{
        {"Suspend", "", "", "1", "0", "", "", "0.5"},
        {"DisCharge", "CC", "10", "3", "0", "1.5", "0", "0.5"},
        {"PlusLoad", "20", "2", "200", "200", "1", "3", "400", "NextStep"},
        {"RAMP ON", "CC", "20", "2", "", "", "", "0.5"},
        {"LoadLevel", "CC", "5", "2", "", "", "", "0.5", "", "60", "1.4", "1"}};
    std::vector<double> latencies;
    for (int trial = 0; trial < trials; ++trial) {
        QTemporaryDir journalDir;
        const QString journal = journalDir.filePath("journal.txt");
        Session s(steps, 0.01, journal);
        QTimer::singleShot(0, &s.station, [&] { s.station.Start(); });
        const int clickAt = 1500 + QRandomGenerator::global()->bounded(8000);
        QDateTime clicked;
        QTimer::singleShot(clickAt, &s.station, [&] {
            clicked = QDateTime::currentDateTime();
            s.station.Stop();
        });
        s.RunFor(20000);
        if (!clicked.isValid()) {
            continue;  // the run ended before the click
        }
        if (const auto off = LoadOffAfter(journal, clicked)) {
            latencies.push_back(clicked.msecsTo(*off));
        }
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::printf("stop latency: no sample\n");
        return;
    }
    std::printf("stop latency over %zu clicks: median %.0f ms, worst %.0f ms\n", latencies.size(),
                latencies[latencies.size() / 2], latencies.back());
}

void CpuAtOneSecondPoints(double measureTime, int seconds) {
    Session s({{"DisCharge", "CC", "10", "600", "0", "0", "0", "1"}}, measureTime, QString());
    QTimer::singleShot(0, &s.station, [&] { s.station.Start(); });
    s.RunFor(3000);  // past the connection pass
    const double cpuBefore = ThreadCpuSeconds();
    const qint64 start = SystemClock::Instance().ReadCounter();
    s.RunFor(seconds * 1000);
    const double wall = SystemClock::Instance().ElapsedMs(start) / 1000.0;
    const double cpu = ThreadCpuSeconds() - cpuBefore;
    std::printf("window thread CPU at 1 s points (MeasureTime %g s): %.2f %% of one core\n",
                measureTime, 100.0 * cpu / wall);
    s.station.Stop();
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int trials = argc > 1 ? QString(argv[1]).toInt() : 20;
    StopLatency(trials);
    CpuAtOneSecondPoints(1.0, 20);
    CpuAtOneSecondPoints(0.01, 20);
    return 0;
}
