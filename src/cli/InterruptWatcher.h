#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns Ctrl-C (SIGINT) and SIGTERM into a Qt signal delivered on the event
// loop, where the run can be stopped safely.
class InterruptWatcher : public QObject {
    Q_OBJECT

  public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

  signals:
    void interrupted();

  private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};
