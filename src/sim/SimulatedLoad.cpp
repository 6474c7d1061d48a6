#include "SimulatedLoad.h"

#include <QMetaObject>
#include <QThread>

#include "CommandJournal.h"
#include "EventWait.h"
#include "SimulatorCore.h"

class SimulatedLoad::Impl {
  public:
    explicit Impl(const SimOptions& options)
        : m_journal(options.journalPath, options.keepCommandsInMemory),
          m_core(new SimulatorCore(options, &m_journal)) {
        m_thread.setObjectName(QStringLiteral("zld-sim"));
        m_core->moveToThread(&m_thread);
        // The core and its sockets die on their own thread when it ends.
        QObject::connect(&m_thread, &QThread::finished, m_core, &QObject::deleteLater);
        m_thread.start();
    }

    ~Impl() {
        m_thread.quit();
        m_thread.wait();
    }

    // Runs `work` on the simulator's thread and returns its result.
    template <typename Work>
    auto Call(Work work) -> decltype(work()) {
        if (QThread::currentThread() == &m_thread) {
            return work();
        }
        decltype(work()) result{};
        QMetaObject::invokeMethod(
            m_core, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }

    CommandJournal m_journal;
    QThread m_thread;
    SimulatorCore* m_core;
};

SimulatedLoad::SimulatedLoad(const SimOptions& options) : m_impl(std::make_unique<Impl>(options)) {}

SimulatedLoad::~SimulatedLoad() = default;

quint16 SimulatedLoad::ListenTcp(quint16 port, QString* error) {
    QString reason;
    const quint16 result = m_impl->Call([&] { return m_impl->m_core->ListenTcp(port, &reason); });
    if (error) {
        *error = reason;
    }
    return result;
}

QString SimulatedLoad::OpenPty(QString* error) {
    QString reason;
    const QString path = m_impl->Call([&] { return m_impl->m_core->OpenPty(&reason); });
    if (error) {
        *error = reason;
    }
    return path;
}

QStringList SimulatedLoad::Journal() const {
    return m_impl->m_journal.Entries();
}

void SimulatedLoad::ClearJournal() {
    m_impl->m_journal.Clear();
}

bool SimulatedLoad::WaitForCommand(const QString& command, int count, int timeoutMs) const {
    const auto received = [&] { return m_impl->m_journal.Count(command) >= count; };
    if (!received()) {
        WaitWithEventsUnless(timeoutMs, received);
    }
    return received();
}

QString SimulatedLoad::JournalError() const {
    return m_impl->m_journal.Error();
}

void SimulatedLoad::SetFaults(const SimFaults& faults) {
    m_impl->Call([&] {
        m_impl->m_core->SetFaults(faults);
        return true;
    });
}

bool SimulatedLoad::InputOn() const {
    return m_impl->Call([&] { return m_impl->m_core->InputOn(); });
}

double SimulatedLoad::ChargeDrawnAh() const {
    return m_impl->Call([&] { return m_impl->m_core->ChargeDrawnAh(); });
}
