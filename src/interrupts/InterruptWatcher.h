#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns the signals that end a program from outside into a Qt signal on the
// event loop, where the run can be stopped and the load released safely:
// SIGINT (Ctrl-C), SIGTERM (kill, logout, shutdown), SIGHUP (terminal closed,
// SSH session dropped) and SIGQUIT (Ctrl-\). Without it each of them would end
// the process at once with the load still drawing current.
//
// The program is ending after the first of them: later ones are swallowed, so
// that a second Ctrl-C or a shutdown's SIGTERM after SIGHUP cannot cut the
// release of the load short. One watcher at a time per process.
class InterruptWatcher : public QObject {
    Q_OBJECT

  public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    // Gives the signals back to the system's default action, or, once one
    // was caught, ignores them for the rest of the program's end.
    ~InterruptWatcher() override;

    // The exit code of a program ended by `signalNumber`, as a shell reports
    // a process killed by it: 128 + the signal (130 for SIGINT).
    static int ExitCodeFor(int signalNumber) { return 128 + signalNumber; }

    // The first signal caught; 0 while none has come.
    int Caught() const { return m_caught; }

  signals:
    void interrupted(int signalNumber);

  private:
    void ReadPipe();

    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_caught = 0;
};
