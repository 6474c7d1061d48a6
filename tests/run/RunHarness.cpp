#include "RunHarness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <stdexcept>

#include "Clock.h"
#include "IniFile.h"
#include "LanTransport.h"
#include "LoadConnection.h"
#include "TestFiles.h"

RunHarness::RunHarness(const SimOptions& simOptions, const Clock* clock) {
    sim = std::make_unique<SimulatedLoad>(simOptions);
    station = std::make_unique<Station>(op, clock ? *clock : SystemClock::Instance(), home.path());
    QObject::connect(&station->Control(), &RunControl::runEnded,
                     [this](RunOutcome result) { outcome = result; });
}

RunHarness::~RunHarness() {
    station.reset();
    sim.reset();
}

void RunHarness::Prepare(const QList<Step>& steps, int saveLogFlag, double measureTime) {
    WriteProgramFolder(home.path(), steps, saveLogFlag, measureTime);
    station->StartUp();
    LanTimings quick;
    quick.settleMs = 20;
    quick.connectBudgetMs = 2000;
    quick.readTimeoutMs = 2000;
    station->Connection().SetLanTimings(quick);
    QString error;
    const quint16 port = sim->ListenTcp(0, &error);
    if (port == 0) {
        throw std::runtime_error(error.toStdString());
    }
    station->UseLanLoad(QStringLiteral("127.0.0.1"), port);
}

void RunHarness::UseSerialLoad(const QString& device) {
    if (!WriteSetting(home.filePath("TRIO.INI"), "Serial Ports", "COM1", device)) {
        throw std::runtime_error("cannot name the serial port");
    }
    LoadConnection& connection = station->Connection();
    connection.Panel().medium = Medium::Serial;
    connection.Panel().channelEnabled[0] = true;
    ConnectionRecord& record = connection.Records()[connection.LoadDevice(0)];
    record.medium = Medium::Serial;
    record.comPort = 1;
    record.baudRate = 115200;
}

void RunHarness::UseGpibLoad(int address) {
    LoadConnection& connection = station->Connection();
    connection.Panel().medium = Medium::Gpib;
    ConnectionRecord& record = connection.Records()[connection.LoadDevice(0)];
    record.medium = Medium::Gpib;
    record.gpibAddress = address;
}

bool RunHarness::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        // A short real wait, so that a waiting test does not spin a core.
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::optional<RunOutcome> RunHarness::Run(int timeoutMs) {
    outcome.reset();
    QTimer::singleShot(0, station.get(), [this] { station->Start(); });
    RunUntil([this] { return outcome.has_value(); }, timeoutMs);
    return outcome;
}

QStringList RunHarness::StepCommands() const {
    const QStringList journal = sim->Journal();
    const int last = journal.lastIndexOf(QStringLiteral("LDON 0.8"));
    return journal.mid(last + 1);
}

QString RunHarness::LogPath(const QString& serial) const {
    return home.filePath(QStringLiteral("TestLog/%1.CSV").arg(serial));
}
