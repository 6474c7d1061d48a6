#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "EndChecks.h"
#include "RunContext.h"
#include "StepWalker.h"

struct MeasuredPoint;
struct ResumePlan;

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

// Start (with the check before a new run), Stop and Pause of a run,
// releasing the load, and the window's run/edit switch. The step walker walks
// the steps; this class begins and ends the run around it and tells the
// faces what happens through its signals.
class RunControl : public QObject {
    Q_OBJECT

  public:
    RunControl(RunContext& context, QObject* parent = nullptr);

    void Start();
    // Starts a run that was interrupted again where `plan` says (the check
    // and the save are not repeated: the steps are those the run began
    // with). Nothing happens while a run goes or a Stop settles.
    void StartResumed(const ResumePlan& plan);
    void Stop();
    void Pause();
    // The window is closing: no new work, load off, socket closed.
    void Shutdown();

    // Editing on (and Start, Open, Save, Connect with it), Stop and Pause
    // off; or the other way round while a run goes.
    void SetEditing(bool editing);

    // Saves the table through the save dialog; false when cancelled or failed.
    // Set by the station, which owns the file commands.
    void SetSaveAs(std::function<bool()> save) { m_saveAs = std::move(save); }

    // What the operator was told when the last run ended ("Test Finished",
    // "Test stopped at step 3: ...", a safety limit, no load answering with
    // where and why); "" for a plain Stop.
    QString EndMessage() const { return m_endMessage; }

  signals:
    void runStarted();
    // A step was entered (grid row), including loop steps and in-line steps.
    void stepEntered(int gridRow);
    // A step other than a loop step came to its end, and why.
    void stepEnded(int gridRow, StopReason reason);
    // A measurement point was taken (and logged, when logs are kept).
    void pointLogged(const MeasuredPoint& point);
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
    // The run goes from editing to running: controls, integrals, signal.
    void EnterRunning();
    // The connection pass of a run; false when the run ended (no load, Stop).
    bool ConnectLoad();
    void RunResumed(const ResumePlan& plan);
    bool OpenDataLog();
    bool TableNeedsSave() const;
    // Once per Start, before anything is sent: the steps the load cannot do.
    void TellAboutStepsNotCarriedOut();
    void Resume();
    // Ends the run because the list is done.
    void FinishRun();
    // Ends the run because of an error: the load is released, the log closed,
    // and the operator told "Test stopped at step N: <reason>".
    void StopWithError(const QString& reason);
    // A reading crossed a safety limit (the load is off): stop or pause.
    void OnLimitReached(const LimitTrip& trip);
    // "LOAD OFF" to the load: the input goes off whatever the run was doing.
    void ReleaseLoad();
    QString ChannelCaption() const;
    void AppendCaption(const QString& suffix);
    // Stop, then the outcome, then the message (if any).
    void StopRun(RunOutcome outcome, const QString& message = QString());

    RunContext& m_ctx;
    StepWalker m_walker;
    std::function<bool()> m_saveAs;
    bool m_stopping = false;
    bool m_checking = false;
    QString m_endMessage;
};
