#include "GpibWorker.h"

#include <QEventLoop>
#include <QMetaObject>

// Lives on the worker thread and announces each finished job.
class GpibWorker::Runner : public QObject {
    Q_OBJECT

  public:
    void Execute(quint64 id, const std::function<void()>& job) {
        job();
        emit finished(id);
    }

  signals:
    void finished(quint64 id);
};

GpibWorker::GpibWorker() : m_runner(std::make_unique<Runner>()) {
    m_thread.setObjectName(QStringLiteral("gpib"));
    m_runner->moveToThread(&m_thread);
    m_thread.start();
}

GpibWorker::~GpibWorker() {
    m_thread.quit();
    m_thread.wait();
}

void GpibWorker::Run(const std::function<void()>& job) {
    const quint64 id = ++m_nextJob;
    bool done = false;
    QEventLoop loop;
    // Queued to the loop: the answer is read on this thread, after the job's
    // results are complete.
    const QMetaObject::Connection connection = QObject::connect(
        m_runner.get(), &Runner::finished, &loop,
        [&](quint64 finishedId) {
            if (finishedId == id) {
                done = true;
                loop.quit();
            }
        },
        Qt::QueuedConnection);
    Runner* runner = m_runner.get();
    QMetaObject::invokeMethod(
        runner, [runner, id, job] { runner->Execute(id, job); }, Qt::QueuedConnection);
    while (!done) {
        loop.exec();
    }
    QObject::disconnect(connection);
}

void GpibWorker::RunBlocking(const std::function<void()>& job) {
    QMetaObject::invokeMethod(m_runner.get(), job, Qt::BlockingQueuedConnection);
}

#include "GpibWorker.moc"
