#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "InlineSteps.h"
#include "RunContext.h"
#include "Sequencer.h"

// How a run ended, for the headless runner's exit code and for tests.
enum class RunOutcome {
    Finished,     // the list ran to its end
    Stopped,      // the operator stopped it
    NoLoad,       // no load answered the connection pass
    Error,        // an error stopped it
    NotStarted,   // refused or cancelled before a step ran (no steps, no log, bad
                  // serial, warnings of the check not accepted)
    CheckFailed,  // the check before the start found errors; nothing was sent
};

// Start, Stop and Pause of a run, the steps Start runs itself (ramps and
// load levels), releasing the load, and the window's run/edit switch.
class RunControl : public QObject {
    Q_OBJECT

  public:
    RunControl(RunContext& context, QObject* parent = nullptr);

    Sequencer& Steps() { return m_sequencer; }

    void StartCommand_Click();
    void StopCommand_Click();
    void PauseCommand_Click();
    // Ends the run because the list is done.
    void FinishRun();
    // Ends the run because of an error: the load is released, the log closed,
    // and the operator told "Test stopped at step N: <reason>".
    void StopWithError(const QString& reason);
    // The window is closing: no new work, load off, socket closed.
    void Shutdown();

    void ReleaseOutputs();
    void SetControlsForRun(bool editing);

    // Saves the table through the save dialog; false when cancelled or failed.
    // Set by the station, which owns the file commands.
    void SetSaveCommand(std::function<bool()> save) { m_saveCommand = std::move(save); }

  signals:
    void runStarted();
    // A step was entered (grid row), including loop steps and in-line steps.
    void stepEntered(int gridRow);
    void runEnded(RunOutcome outcome);

  private:
    // The check a new run gets first; false (and the run ended before it
    // began) when errors refuse it or the operator cancels on warnings.
    bool CheckBeforeStart();
    // Once the load answered: the battery's voltage against the stop voltages.
    bool CheckPresentVoltage();
    // Starts or resumes once no interrupted work is left on the stack.
    void StartWhenIdle(bool resume);
    void StartRun();
    bool OpenDataLog();
    bool TableNeedsSave() const;
    void Resume();
    // Walks the steps from the current one, running loop, ramp and level
    // steps itself, until a step must be timed or the run ends.
    void WalkFromStart();
    QString ChannelCaption() const;
    void AppendCaption(const QString& suffix);
    // Stop, then the message (if any), then the outcome.
    void StopRun(RunOutcome outcome, const QString& message = QString());

    RunContext& m_ctx;
    InlineSteps m_inline;
    Sequencer m_sequencer;
    std::function<bool()> m_saveCommand;
    bool m_stopping = false;
    bool m_checking = false;
};
