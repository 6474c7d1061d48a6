// A lab's worth of stations publishing to one broker: N zld-run processes
// (each with its own simulated load) run one discharge at a short measuring
// interval for a while, all publishing to one mosquitto on 127.0.0.1, and one
// subscriber reads everything. Reports:
//  - messages lost: CSV lines of every station's log that never arrived as a
//    point, and points that arrived twice;
//  - CPU: the broker's and each station's, in the steady middle of the run;
//  - delay from the point's time stamp to its arrival at the subscriber
//    (p50, p99, max).
// Build without sanitizers:
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target bench_telemetry_fleet zld-run
//   build-release/bench/bench_telemetry_fleet [stations] [seconds] [meas-seconds]
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "BrokerProcess.h"
#include "StationProcess.h"
#include "TestSubscriber.h"

namespace {
// CPU seconds a process has used so far (user + system), from /proc.
double CpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
    return values[index];
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int stations = argc > 1 ? atoi(argv[1]) : 50;
    const int seconds = argc > 2 ? atoi(argv[2]) : 120;
    const double meas = argc > 3 ? atof(argv[3]) : 0.1;
    const QString runner = QCoreApplication::applicationDirPath() + "/../src/cli/zld-run";

    BrokerProcess broker;
    if (!broker.Start()) {
        std::fprintf(stderr, "cannot start mosquitto\n");
        return 1;
    }
    TestSubscriber subscriber;
    if (!subscriber.Subscribe(broker.Port(), "bench/#")) {
        std::fprintf(stderr, "cannot subscribe\n");
        return 1;
    }
    std::vector<std::unique_ptr<StationProcess>> fleet;
    for (int i = 0; i < stations; ++i) {
        fleet.push_back(std::make_unique<StationProcess>(seconds, meas));
        fleet.back()->Start(runner, QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')),
                            broker.Url(QStringLiteral("bench/st%1").arg(i)));
    }
    std::printf("%d stations, %d s discharge at MeasT %g s, broker on 127.0.0.1:%u\n", stations,
                seconds, meas, broker.Port());
    std::fflush(stdout);

    // Steady state: from a sixth of the run to five sixths.
    const int settle = seconds / 6;
    const int window = seconds * 4 / 6;
    subscriber.WaitFor([] { return false; }, settle * 1000);
    const qint64 brokerPid = broker.ProcessId();
    std::vector<double> startCpu;
    for (auto& station : fleet) {
        startCpu.push_back(CpuSeconds(station->Process().processId()));
    }
    const double brokerStart = CpuSeconds(brokerPid);
    subscriber.WaitFor([] { return false; }, window * 1000);
    std::vector<double> stationCpu;
    for (size_t i = 0; i < fleet.size(); ++i) {
        stationCpu.push_back(100.0 * (CpuSeconds(fleet[i]->Process().processId()) - startCpu[i]) /
                             window);
    }
    const double brokerCpu = 100.0 * (CpuSeconds(brokerPid) - brokerStart) / window;

    int failed = 0;
    for (auto& station : fleet) {
        if (!station->WaitForEnd(seconds * 1000 + 120000) || station->Process().exitCode() != 0) {
            ++failed;
        }
    }
    subscriber.WaitFor([] { return false; }, 2000);

    qint64 lines = 0;
    qint64 lost = 0;
    qint64 twice = 0;
    std::vector<double> delays;
    QHash<QString, QSet<qint64>> seen;
    for (const TestSubscriber::Message& m : subscriber.Messages()) {
        if (!m.topic.endsWith(QLatin1String("/point"))) {
            continue;
        }
        const QJsonObject point = QJsonDocument::fromJson(m.payload).object();
        const auto number = static_cast<qint64>(point.value("no").toDouble());
        QSet<qint64>& numbers = seen[m.topic];
        if (numbers.contains(number)) {
            ++twice;
        }
        numbers.insert(number);
        const QDateTime stamped =
            QDateTime::fromString(point.value("time").toString(), Qt::ISODateWithMs);
        delays.push_back(static_cast<double>(m.receivedMs - stamped.toMSecsSinceEpoch()));
    }
    for (int i = 0; i < stations; ++i) {
        const QSet<qint64>& numbers = seen.value(QStringLiteral("bench/st%1/point").arg(i));
        for (const QString& line : fleet[i]->LogLines()) {
            ++lines;
            if (!numbers.contains(line.section(',', 0, 0).toLongLong())) {
                ++lost;
            }
        }
    }
    double cpuSum = 0;
    for (double c : stationCpu) {
        cpuSum += c;
    }
    std::printf("runs that did not finish cleanly: %d\n", failed);
    std::printf("log lines %lld, points received %zu, lost %lld, duplicated %lld\n",
                static_cast<long long>(lines), delays.size(), static_cast<long long>(lost),
                static_cast<long long>(twice));
    std::printf("broker CPU %.1f %% of a core\n", brokerCpu);
    std::printf("station CPU: mean %.1f %%, max %.1f %% of a core (all stations %.0f %%)\n",
                cpuSum / stations, *std::max_element(stationCpu.begin(), stationCpu.end()), cpuSum);
    std::printf("delay point -> subscriber: p50 %.0f ms, p99 %.0f ms, max %.0f ms\n",
                Percentile(delays, 0.5), Percentile(delays, 0.99), Percentile(delays, 1.0));
    return lost == 0 && failed == 0 ? 0 : 2;
}
