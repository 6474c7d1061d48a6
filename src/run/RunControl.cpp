// Every way a run begins and ends lives here (new, resumed, paused, stopped
// by the operator, a limit, an error or a lost load), so that the order of
// releasing the load, closing the log and finishing the journal is read in one
// place; hence its length.
#include "RunControl.h"

#include <QDir>
#include <QTimer>

#include "ActionCatalogue.h"
#include "Clock.h"
#include "Commands.h"
#include "Displays.h"
#include "EventWait.h"
#include "LoadConnection.h"
#include "Measurement.h"
#include "NumberText.h"
#include "Operator.h"
#include "OutputProgrammer.h"
#include "PhaseGrid.h"
#include "PointLog.h"
#include "ProgramSettings.h"
#include "ReadingGuard.h"
#include "ResumePlan.h"
#include "RunChannel.h"
#include "RunState.h"
#include "Spinner.h"
#include "StartCheck.h"
#include "TestFile.h"

namespace {
const QString kNoSaveLog = QStringLiteral("NoSaveLog");
// Spelled as the channel caption has always shown it: part of the screen format.
const QString kStopping = QStringLiteral("  Stoping......");
const QString kPause = QStringLiteral("  Pause");
const QString kLoadError = QStringLiteral(" - Load Error");
constexpr double kStopSettleMs = 100;
constexpr double kPauseSettleMs = 2500;
constexpr int kStartRetryMs = 50;
}  // namespace

RunControl::RunControl(RunContext& context, QObject* parent)
    : QObject(parent), m_ctx(context), m_walker(context) {
    QObject::connect(&m_walker, &StepWalker::stepEntered, this, &RunControl::stepEntered);
    QObject::connect(&m_walker, &StepWalker::stepEnded, this, &RunControl::stepEnded);
    QObject::connect(&m_walker, &StepWalker::listEnded, this, &RunControl::FinishRun);
    QObject::connect(&m_walker, &StepWalker::failed, this, &RunControl::StopWithError);
    QObject::connect(&m_walker, &StepWalker::limitReached, this, &RunControl::OnLimitReached);
    QObject::connect(&m_ctx.points, &PointLog::pointLogged, this, &RunControl::pointLogged);
    m_ctx.channel.SetLinkLostHandler([this] {
        // The operator has been told; end the run as Stop does.
        StopRun(RunOutcome::Error);
    });
}

QString RunControl::ChannelCaption() const {
    return ChannelCaptionText(m_ctx.settings.channelNumber);
}

void RunControl::AppendCaption(const QString& suffix) {
    m_ctx.displays.Set(Displays::ChannelCaption,
                       m_ctx.displays.Get(Displays::ChannelCaption) + suffix);
}

void RunControl::SetEditing(bool editing) {
    for (Displays::Control c :
         {Displays::StartButton, Displays::CheckButton, Displays::LimitsButton,
          Displays::AddStepButton, Displays::DeleteStepButton, Displays::InsertStepButton,
          Displays::SaveButton, Displays::OpenButton, Displays::ConnectButton,
          Displays::MoveUpButton, Displays::MoveDownButton, Displays::SerialNumberBox}) {
        m_ctx.displays.SetEnabled(c, editing);
    }
    m_ctx.displays.SetEnabled(Displays::StopButton, !editing);
    m_ctx.displays.SetEnabled(Displays::PauseButton, !editing);
}

void RunControl::ReleaseLoad() {
    m_ctx.channel.LoadOffFirstChannel();
}

bool RunControl::TableNeedsSave() const {
    const TestDocument& test = m_ctx.test;
    // Anything the operator changed, the measurement options included: Stop
    // reloads the file, which would otherwise throw the change away.
    if (test.IsModified()) {
        return true;
    }
    const StepTable& table = test.Table();
    if (table.GridRowCount() != test.TotalStepCount() + 1) {
        return true;
    }
    // Cells edited since the last load or save: the run reads the records, so
    // they must match what the operator sees. Frequency, CF and PF are shown
    // and kept for load levels only (CF and PF in CC mode, as saving keeps
    // them); elsewhere a record may still hold an earlier file's values.
    for (int row = 1; row <= table.StepCount(); ++row) {
        const StepRecord& record = test.Records().Record(row - 1);
        const bool loadLevel = table.Cell(row, StepColumn::ActionMode) == Action::kLoadLevel;
        const bool constantCurrent = table.Cell(row, StepColumn::Mode) == LoadMode::kCC;
        for (int column = StepColumn::ActionMode; column <= StepColumn::PF; ++column) {
            if (column >= StepColumn::Frequency && !loadLevel) {
                break;
            }
            if (column >= StepColumn::CF && !constantCurrent) {
                break;
            }
            if (table.Cell(row, column) != record[FieldOfColumn(column)]) {
                return true;
            }
        }
    }
    return false;
}

bool RunControl::OpenDataLog() {
    RunState& s = m_ctx.state;
    QString serial = m_ctx.displays.Get(Displays::SerialNumber);
    if (serial.isEmpty() || serial == kNoSaveLog) {
        s.NoSaveLog = true;
        serial = kNoSaveLog;
        m_ctx.displays.Set(Displays::SerialNumber, serial);
    } else {
        s.NoSaveLog = false;
        if (!IsSafeFileName(serial)) {
            m_ctx.op.ShowMessage(
                QStringLiteral("Serial number %1 cannot be used as a file name.").arg(serial));
            return false;
        }
    }
    const QString path = QDir::toNativeSeparators(
        QDir(m_ctx.settings.programFolder).filePath(QStringLiteral("TestLog/") + serial + ".CSV"));
    QStringList titles;
    for (int column = 1; column < PhaseGrid::kColumns; ++column) {
        titles << m_ctx.phases.Cell(0, column);
    }
    QString error;
    if (!m_ctx.points.File().Open(path, LogHeader(titles), &error)) {
        m_ctx.op.ShowMessage(QStringLiteral("Cannot create the data log %1: %2").arg(path, error));
        return false;
    }
    m_ctx.displays.Set(Displays::LogFilePath, path);
    return true;
}

void RunControl::Start() {
    const RunState& s = m_ctx.state;
    if (s.Running && !s.PauseRequested) {
        return;
    }
    if (!s.Running && !CheckBeforeStart()) {
        return;
    }
    StartWhenIdle(s.Running);
}

bool RunControl::CheckBeforeStart() {
    if (m_checking) {
        return false;  // a second Start while the first one's findings are shown
    }
    m_checking = true;
    const StartVerdict verdict =
        ::CheckBeforeStart(m_ctx.test.Table(), m_ctx.op, m_ctx.test.Limits());
    m_checking = false;
    if (verdict == StartVerdict::Go) {
        return true;
    }
    emit runEnded(verdict == StartVerdict::Refused ? RunOutcome::CheckFailed
                                                   : RunOutcome::NotStarted);
    return false;
}

bool RunControl::CheckPresentVoltage() {
    const auto voltage = LeadingNumber(m_ctx.connection.ProbeReply());
    if (!voltage || CheckStopVoltages(m_ctx.test.Table(), *voltage, m_ctx.op) == StartVerdict::Go) {
        return true;
    }
    StopRun(RunOutcome::NotStarted);
    return false;
}

void RunControl::StartWhenIdle(bool resume) {
    RunState& s = m_ctx.state;
    if (s.Running != resume || (resume && !s.PauseRequested)) {
        return;  // a Stop or another Start came in between
    }
    if (m_stopping || s.WorkDepth > 0) {
        // Stop or Pause landed inside a wait of a tick or of Start, and that
        // work has not unwound yet; starting or resuming in the middle of it
        // would drive the load from two places at once.
        QTimer::singleShot(kStartRetryMs, this, [this, resume] { StartWhenIdle(resume); });
        return;
    }
    ++s.WorkDepth;
    if (resume) {
        Resume();
    } else {
        StartRun();
    }
    --s.WorkDepth;
}

void RunControl::StartRun() {
    RunState& s = m_ctx.state;
    s.StopRequested = false;
    m_ctx.displays.Set(Displays::Activity, SpinnerAt(m_ctx.clock.TimeOfDay()));
    m_ctx.displays.Set(Displays::ChannelCaption, ChannelCaption());
    m_ctx.displays.SetChannelCaptionRed(false);

    if (TableNeedsSave()) {
        // Running what the operator does not see, or losing the edits at
        // Stop, is worse than not starting.
        if (!m_saveAs || !m_saveAs()) {
            emit runEnded(RunOutcome::NotStarted);
            return;
        }
        m_ctx.test.LoadTestFile(m_ctx.op);
    }
    m_ctx.points.SetSaveLogFlag(m_ctx.settings.saveLogFlag);
    if (m_ctx.settings.saveLogFlag == 1 && !OpenDataLog()) {
        emit runEnded(RunOutcome::NotStarted);
        return;
    }
    if (m_ctx.test.TotalStepCount() == 0) {
        m_ctx.points.CloseLog();  // nothing was logged yet
        m_ctx.op.ShowMessage(QStringLiteral("Please setup test step, then press START."));
        emit runEnded(RunOutcome::NotStarted);
        return;
    }

    TellAboutStepsNotCarriedOut();
    m_ctx.measurement.ClearTestTotals();
    m_ctx.points.RestartNumbering();
    // Loops of an earlier run, maybe of another file, are no loops of this one.
    s.ForRow = s.ForLoopCount = s.For2Row = s.For2LoopCount = 0;
    EnterRunning();
    if (!ConnectLoad() || !CheckPresentVoltage() || s.StopRequested) {
        return;
    }
    s.RunStartStamp = m_ctx.clock.Now();
    // Charge counts from here, not from before the connection pass.
    s.LastPointCounter = m_ctx.clock.ReadCounter();
    m_walker.Begin();
}

void RunControl::EnterRunning() {
    RunState& s = m_ctx.state;
    SetEditing(false);
    s.Running = true;
    s.LinkLostReported = false;
    s.MissedPoints = 0;
    s.MaxMissedPoints = m_ctx.settings.maxMissedPoints;
    m_ctx.guard.Clear();
    m_walker.Reset();
    m_endMessage.clear();
    emit runStarted();
}

bool RunControl::ConnectLoad() {
    const int loads = m_ctx.connection.AllConnect();
    m_ctx.displays.Set(Displays::LoadCount, QString::number(loads));
    if (m_ctx.state.StopRequested) {
        return false;  // stopped while connecting
    }
    if (loads == 0) {
        AppendCaption(kLoadError);
        m_ctx.displays.SetChannelCaptionRed(true);
        // One message, saying where the load was looked for and why it did
        // not answer; shown while the caption still says so.
        m_endMessage = QStringLiteral("Electronic Load Connect Error, Please check it.\n%1")
                           .arg(m_ctx.connection.ConnectFailure());
        m_ctx.op.ShowMessage(m_endMessage);
        StopRun(RunOutcome::NoLoad);
        return false;
    }
    // The frame shows a run only once there is a load to run it on.
    m_ctx.displays.SetChannelBackground(Displays::FrameBackground::Running);
    return true;
}

void RunControl::StartResumed(const ResumePlan& plan) {
    RunState& s = m_ctx.state;
    if (s.Running || m_stopping || s.WorkDepth > 0) {
        return;
    }
    ++s.WorkDepth;
    RunResumed(plan);
    --s.WorkDepth;
}

void RunControl::RunResumed(const ResumePlan& plan) {
    RunState& s = m_ctx.state;
    s.StopRequested = false;
    s.PauseRequested = false;
    m_ctx.displays.Set(Displays::Activity, SpinnerAt(m_ctx.clock.TimeOfDay()));
    m_ctx.displays.Set(Displays::ChannelCaption, ChannelCaption());
    m_ctx.displays.SetChannelCaptionRed(false);
    s.NoSaveLog = m_ctx.displays.Get(Displays::SerialNumber) == kNoSaveLog;
    // The run goes on with the log it began with, whatever the settings say now.
    m_ctx.points.SetSaveLogFlag(plan.logPath.isEmpty() ? 0 : 1);
    if (!plan.logPath.isEmpty()) {
        qint64 next = 1;
        QString error;
        if (!m_ctx.points.File().OpenForAppend(plan.logPath, &next, &error)) {
            m_ctx.op.ShowMessage(
                QStringLiteral("Cannot go on with the data log %1: %2").arg(plan.logPath, error));
            emit runEnded(RunOutcome::NotStarted);
            return;
        }
        m_ctx.points.ContinueNumbering(next);
        m_ctx.displays.Set(Displays::LogFilePath, plan.logPath);
    }
    m_ctx.measurement.RestoreIntegrals(plan.stepAh, plan.stepKwh, plan.testAh, plan.testWh);
    EnterRunning();
    if (!ConnectLoad()) {
        return;
    }
    // The test time goes on from where it was: the downtime is left out.
    s.RunStartStamp = m_ctx.clock.Now().addMSecs(-static_cast<qint64>(plan.totalElapsed * 1000.0));
    s.LastPointCounter = m_ctx.clock.ReadCounter();
    m_walker.ResumeAt(plan);
}

void RunControl::OnLimitReached(const LimitTrip& trip) {
    RunState& s = m_ctx.state;
    if (!s.Running || s.StopRequested) {
        return;  // the run ended in the meantime; the load is off
    }
    if (!trip.pause) {
        StopRun(RunOutcome::Error, trip.message);
        return;
    }
    Pause();
    // Resume puts the input back as it was before the guard released it.
    s.InputOnAtPause = trip.inputWasOn;
    m_ctx.op.ShowMessage(trip.message);
}

void RunControl::TellAboutStepsNotCarriedOut() {
    // Said whether or not the check ran: the operator must not take such a
    // step's waiting for a measurement of the battery.
    QStringList lines;
    for (int step = 0; step < m_ctx.test.TotalStepCount(); ++step) {
        if (m_ctx.test.Records().Field(step, StepField::ActionMode) == Action::kAcir) {
            lines << QStringLiteral(
                         "Step %1: ACIR is not carried out by this load; the step only "
                         "waits its dwell.")
                         .arg(step + 1);
        }
    }
    if (!lines.isEmpty()) {
        m_ctx.op.ShowMessage(lines.join(QLatin1Char('\n')));
    }
}

void RunControl::Stop() {
    StopRun(RunOutcome::Stopped);
}

void RunControl::StopRun(RunOutcome outcome, const QString& message) {
    if (m_stopping) {
        return;  // a second click while the first Stop is settling
    }
    m_stopping = true;
    RunState& s = m_ctx.state;
    s.PauseRequested = false;
    s.StopRequested = true;
    m_walker.StopTicks();
    AppendCaption(kStopping);
    ReleaseLoad();
    WaitWithEvents(kStopSettleMs);
    // The last point may still be held back: closing the log writes it first.
    const std::optional<QString> lastLineFailure = m_ctx.points.CloseLog();
    SetEditing(true);
    m_ctx.test.LoadTestFile(m_ctx.op);
    m_ctx.displays.Set(Displays::Activity, kSpinnerIdle);
    m_ctx.displays.Set(Displays::StepProgress, QString());
    m_ctx.displays.SetChannelBackground(Displays::FrameBackground::ButtonFace);
    m_ctx.displays.Set(Displays::ChannelCaption, ChannelCaption());
    m_ctx.displays.SetChannelCaptionRed(false);
    ProcessPendingEvents();
    m_ctx.test.Table().ClearHighlights();
    m_walker.Reset();
    m_ctx.connection.CloseChannel(m_ctx.connection.LoadDevice(0));
    const bool wasRunning = s.Running;
    s.Running = false;
    m_stopping = false;
    QString shown = message;
    if (lastLineFailure) {
        shown += (shown.isEmpty() ? QString() : QStringLiteral("\n")) +
                 QStringLiteral("The last point was not logged: %1").arg(*lastLineFailure);
    }
    // Listeners hear of the end before the message, which may wait for a
    // person while the lab's telemetry and the status line should move on.
    if (wasRunning && !shown.isEmpty()) {
        m_endMessage = shown;
    }
    if (wasRunning) {
        emit runEnded(outcome);
    }
    if (!shown.isEmpty()) {
        m_ctx.op.ShowMessage(shown);
    }
}

void RunControl::FinishRun() {
    StopRun(RunOutcome::Finished, QStringLiteral("Test Finished"));
}

void RunControl::StopWithError(const QString& reason) {
    const int step = m_ctx.state.CurrentStep + 1;
    StopRun(RunOutcome::Error, QStringLiteral("Test stopped at step %1: %2").arg(step).arg(reason));
}

void RunControl::Pause() {
    RunState& s = m_ctx.state;
    if (!s.Running || s.PauseRequested || s.StopRequested) {
        return;  // a Pause while Stop settles would outlive the run and hold the next one
    }
    m_ctx.displays.SetEnabled(Displays::StartButton, true);
    m_ctx.displays.SetEnabled(Displays::PauseButton, false);
    m_walker.StopTicks();
    s.PauseRequested = true;
    s.PausedAt = m_ctx.clock.TimeOfDay();
    s.InputOnAtPause = m_ctx.channel.InputOn();
    AppendCaption(kPause);
    ReleaseLoad();
    WaitWithEvents(kPauseSettleMs);
}

void RunControl::Resume() {
    RunState& s = m_ctx.state;
    s.PauseRequested = false;
    m_ctx.displays.Set(Displays::ChannelCaption, ChannelCaption());
    SetEditing(false);
    // The paused time does not count towards the step's dwell.
    const double paused = SecondsSince(s.PausedAt, m_ctx.clock.TimeOfDay());
    s.StepStartTime += paused;
    s.MeasureRefTime += paused;
    s.LastPointCounter = m_ctx.clock.ReadCounter();
    m_walker.Resume();
}

void RunControl::Shutdown() {
    RunState& s = m_ctx.state;
    s.StopRequested = true;
    m_walker.StopTicks();
    AppendCaption(kStopping);
    ReleaseLoad();
    m_ctx.points.CloseLog();  // a failure has nobody left to tell
    if (m_ctx.connection.Records()[m_ctx.connection.LoadDevice(0)].medium == Medium::Lan) {
        m_ctx.connection.CloseChannel(m_ctx.connection.LoadDevice(0));
    }
    s.Running = false;
}
