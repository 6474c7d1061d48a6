#include "SimulatedLoad.h"

#include <QMetaObject>
#include <QThread>

#include "CommandJournal.h"
#include "EventWait.h"
#include "SimulatorCore.h"

class SimulatedLoad::Impl {
  public:
    explicit Impl(const SimOptions& options)
        : journal(options.journalPath), core(new SimulatorCore(options, &journal)) {
        thread.setObjectName(QStringLiteral("zld-sim"));
        core->moveToThread(&thread);
        // The core and its sockets die on their own thread when it ends.
        QObject::connect(&thread, &QThread::finished, core, &QObject::deleteLater);
        thread.start();
    }

    ~Impl() {
        thread.quit();
        thread.wait();
    }

    // Runs `work` on the simulator's thread and returns its result.
    template <typename Work>
    auto Call(Work work) -> decltype(work()) {
        if (QThread::currentThread() == &thread) {
            return work();
        }
        decltype(work()) result{};
        QMetaObject::invokeMethod(
            core, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }

    CommandJournal journal;
    QThread thread;
    SimulatorCore* core;
};

SimulatedLoad::SimulatedLoad(const SimOptions& options) : m_impl(std::make_unique<Impl>(options)) {}

SimulatedLoad::~SimulatedLoad() = default;

quint16 SimulatedLoad::ListenTcp(quint16 port, QString* error) {
    QString reason;
    const quint16 result = m_impl->Call([&] { return m_impl->core->ListenTcp(port, &reason); });
    if (error) {
        *error = reason;
    }
    return result;
}

QString SimulatedLoad::OpenPty(QString* error) {
    QString reason;
    const QString path = m_impl->Call([&] { return m_impl->core->OpenPty(&reason); });
    if (error) {
        *error = reason;
    }
    return path;
}

QStringList SimulatedLoad::Journal() const {
    return m_impl->journal.Entries();
}

void SimulatedLoad::ClearJournal() {
    m_impl->journal.Clear();
}

bool SimulatedLoad::WaitForCommand(const QString& command, int count, int timeoutMs) const {
    const auto received = [&] { return m_impl->journal.Count(command) >= count; };
    if (!received()) {
        WaitWithEventsUnless(timeoutMs, received);
    }
    return received();
}

QString SimulatedLoad::JournalError() const {
    return m_impl->journal.Error();
}

void SimulatedLoad::SetFaults(const SimFaults& faults) {
    m_impl->Call([&] {
        m_impl->core->SetFaults(faults);
        return true;
    });
}

bool SimulatedLoad::InputOn() const {
    return m_impl->Call([&] { return m_impl->core->InputOn(); });
}

double SimulatedLoad::ChargeDrawnAh() const {
    return m_impl->Call([&] { return m_impl->core->ChargeDrawnAh(); });
}
