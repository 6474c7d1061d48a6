#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

// Settings of the simulated load and its battery.
struct SimOptions {
    double capacityAh = 10.0;          // charge the battery holds when full
    double fullVoltage = 54.0;         // open-circuit voltage when full
    double emptyVoltage = 40.0;        // open-circuit voltage when empty
    double internalResistance = 0.05;  // ohm
    double timeScale = 1.0;            // simulated seconds of discharge per real second
    double pulseFailVoltage = 0.0;     // a pulse test fails below this voltage (0 = never)
    int pulseNgCount = 0;              // this many pulse tests answer NG first
    QString journalPath;               // "" = no journal file
    // Every command also kept in memory for Journal(): for tests. A program
    // running for days would otherwise grow with every command.
    bool keepCommandsInMemory = true;
};

// Faults the simulated load can be told to show, for reliability tests.
struct SimFaults {
    bool silent = false;          // answer no query
    bool garbage = false;         // answer queries with noise
    bool splitReplies = false;    // send each reply in two pieces
    int replyDelayMs = 0;         // answer this late
    int dropAfterCommands = 0;    // close the link after this many commands (0 = never)
    int silentAfterCommands = 0;  // answer nothing after this many commands (0 = never)
};

// A simulated 3-phase load speaking the load's command protocol, on TCP
// (127.0.0.1 only) and on a pseudo-terminal. It runs on a thread of its own,
// so it answers whatever the thread that talks to it is doing.
class SimulatedLoad {
  public:
    explicit SimulatedLoad(const SimOptions& options = SimOptions());
    ~SimulatedLoad();
    SimulatedLoad(const SimulatedLoad&) = delete;
    SimulatedLoad& operator=(const SimulatedLoad&) = delete;

    // Listens on 127.0.0.1:`port` (0 picks a free port). Returns the port,
    // or 0 with the reason in `error`.
    quint16 ListenTcp(quint16 port, QString* error = nullptr);
    // Opens a pseudo-terminal and serves it; returns the device path that a
    // serial port opens, or "" with the reason in `error`.
    QString OpenPty(QString* error = nullptr);

    // Every command received so far, in order, without line ends.
    QStringList Journal() const;
    void ClearJournal();
    // Waits (letting the caller's events run) until `command` has been
    // received at least `count` times, or `timeoutMs` passes.
    bool WaitForCommand(const QString& command, int count = 1, int timeoutMs = 5000) const;

    // Why the journal file named in the options could not be opened, or "".
    QString JournalError() const;

    void SetFaults(const SimFaults& faults);

    // State as the load holds it, for tests.
    bool InputOn() const;
    double ChargeDrawnAh() const;

  private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};
