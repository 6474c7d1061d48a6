#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

// Runs blocking driver calls on a thread of their own while the calling
// thread keeps handling its events, so that a GPIB read waiting out the
// device time-out never freezes the window. Jobs run one at a time, in the
// order they were given, always on the same thread.
class GpibWorker {
  public:
    GpibWorker();
    ~GpibWorker();
    GpibWorker(const GpibWorker&) = delete;
    GpibWorker& operator=(const GpibWorker&) = delete;

    // Runs `job` on the worker thread and returns when it has finished.
    void Run(const std::function<void()>& job);
    // Runs `job` on the worker thread, blocking the caller; for the last word
    // before the thread ends, when no other job is pending.
    void RunBlocking(const std::function<void()>& job);

  private:
    class Runner;

    QThread m_thread;
    std::unique_ptr<Runner> m_runner;
    quint64 m_nextJob = 0;
};
