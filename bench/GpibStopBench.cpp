// Stop latency on GPIB: from the Stop click to "LOAD OFF" reaching the
// driver, with the click landing at random moments of a discharge whose load
// answers slowly (every query of the run 0.2 to 1.5 s late, so some reads
// wait out the whole 1 s device time-out). The driver is the tests' fake one, which waits
// out its device time-outs like a real bus.
// Build without sanitizers:
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target bench_gpib_stop
//   build-release/bench/bench_gpib_stop [stops]
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "Clock.h"
#include "FakeGpibControl.h"
#include "IniFile.h"
#include "LoadConnection.h"
#include "RecordingOperator.h"
#include "Station.h"
#include "TestFiles.h"

namespace {
long long SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void RunEvents(int ms, const std::optional<RunOutcome>& outcome) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && !outcome) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// One run stopped at a random moment; the latency in ms, or none when the
// run ended before the click.
std::optional<double> OneStop(FakeGpibControl& fake) {
    QRandomGenerator* random = QRandomGenerator::global();
    const QByteArray reply = "51.2,51.2,51.2,51.2\n";
    fake.Reset();
    fake.AnswerQueries(reply, 0);
    QTemporaryDir home;
    WriteProgramFolder(home.path(), {{"DisCharge", "CC", "10", "600", "0", "0", "0", "0.1"}}, 0);
    WriteSetting(QDir(home.path()).filePath("TRIO.INI"), "TRIO", "ConnectMode", "1");
    RecordingOperator op;  // answers every question with its first choice
    Station station(op, SystemClock::Instance(), home.path());
    station.StartUp();
    // The load answers the connection pass at once, and slowly from then on.
    const int slowMs = 200 + random->bounded(1300);
    QObject::connect(&station.Connection(), &LoadConnection::loadCountChanged, [&](int) {
        if (station.State().Running) {
            fake.AnswerQueries(reply, slowMs);
        }
    });
    std::optional<RunOutcome> outcome;
    QObject::connect(&station.Control(), &RunControl::runEnded,
                     [&outcome](RunOutcome o) { outcome = o; });
    long long clickedNs = -1;
    QTimer::singleShot(0, &station, [&station] { station.Start(); });
    QTimer::singleShot(2500 + random->bounded(5000), &station, [&] {
        clickedNs = SteadyNs();
        station.Stop();
    });
    RunEvents(20000, outcome);
    const long long offNs = fake.LastWriteNs("LOAD OFF");
    if (clickedNs < 0 || offNs < clickedNs) {
        return std::nullopt;
    }
    return (offNs - clickedNs) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("ZLD_GPIB_LIBRARY", FAKE_GPIB_LIBRARY);
    QCoreApplication app(argc, argv);
    FakeGpibControl fake;
    if (!fake.IsValid()) {
        std::fprintf(stderr, "fake GPIB driver not found at %s\n", FAKE_GPIB_LIBRARY);
        return 1;
    }
    const int stops = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 30;
    std::vector<double> latencies;
    // A run that ended before its click gives no sample; such runs are made
    // up for, so the figure covers the stops asked for.
    for (int tries = 0; static_cast<int>(latencies.size()) < stops && tries < 2 * stops; ++tries) {
        if (const auto latency = OneStop(fake)) {
            latencies.push_back(*latency);
        }
    }
    if (latencies.empty()) {
        std::printf("GPIB stop latency: no sample\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("GPIB stop latency over %zu stops: median %.1f ms, p90 %.1f ms, worst %.1f ms\n",
                latencies.size(), latencies[latencies.size() / 2],
                latencies[latencies.size() * 9 / 10], latencies.back());
    return 0;
}
