#include "JournalKeeper.h"

#include <QFile>
#include <QFileInfo>

#include "ActionCatalogue.h"
#include "Clock.h"
#include "InlineSteps.h"
#include "NumberText.h"
#include "PointLog.h"
#include "ResultsRecorder.h"
#include "RunState.h"
#include "Station.h"

namespace {
// Points come as often as ten times a second; the journal follows at most
// once a second (the data log itself says which lines were written).
constexpr qint64 kWriteIntervalMs = 1000;
}  // namespace

JournalKeeper::JournalKeeper(Station& station, QObject* parent)
    : QObject(parent), m_station(station) {
    RunControl& control = station.Control();
    connect(&control, &RunControl::runStarted, this, &JournalKeeper::OnRunStarted);
    connect(&control, &RunControl::stepEntered, this, &JournalKeeper::OnStepEntered);
    connect(&control, &RunControl::pointLogged, this, &JournalKeeper::OnPoint);
    connect(&control, &RunControl::runEnded, this, &JournalKeeper::OnRunEnded);
}

void JournalKeeper::ContinueRun(const QString& path, const JournalRecord& record) {
    m_continuation = std::make_pair(path, record);
}

void JournalKeeper::OnRunStarted() {
    m_active = false;
    m_reported = false;
    const auto continuation = std::exchange(m_continuation, std::nullopt);
    m_continued = continuation.has_value();
    if (continuation) {
        // Left as it is until the resumed run has taken its first step, so
        // that a resume that finds no load can be tried again.
        m_path = continuation->first;
        m_record = continuation->second;
        m_active = true;
        return;
    }
    if (m_station.Settings().saveLogFlag != 1) {
        return;  // a run without a data log cannot be picked up again
    }
    const QString serial = m_station.Views().Get(Displays::SerialNumber);
    m_path = RunJournal::PathFor(m_station.Settings().programFolder, serial);
    if (QFileInfo::exists(m_path)) {
        QString error;
        if (RunJournal::KeepDiscarded(m_path, &error).isEmpty() && m_report) {
            m_report(QStringLiteral("The run journal %1 of an earlier test is replaced: %2")
                         .arg(m_path, error));
        }
    }
    m_record = JournalRecord();
    m_record.serialNumber = serial;
    m_record.testFile = m_station.Test().Path();
    m_record.stepsSha256 = m_station.Test().StepsSha256();
    m_record.logFile = m_station.Views().Get(Displays::LogFilePath);
    m_record.resultsFile = ResultsRecorder::PathForLog(m_record.logFile);
    m_record.plan.logPath = m_record.logFile;
    m_active = true;
    Update(m_station.RunClock().Now(), std::nullopt);
    m_record.plan.totalElapsed = 0;  // the run's clock starts once the load answered
    Write();
}

void JournalKeeper::OnStepEntered(int gridRow) {
    if (!m_active) {
        return;
    }
    Update(m_station.RunClock().Now(), std::nullopt);
    // Loop steps, ramps and levels may follow one another by the thousand
    // within seconds. Any record is a consistent point to resume from, so
    // they are written at most once a second, like points; the steps the
    // step timer times are written as they begin.
    const QString action = m_station.Test().Table().Cell(gridRow, StepColumn::ActionMode);
    if (!(Action::IsLoopControl(action) || InlineSteps::IsInline(action)) || WriteDue()) {
        Write();
    }
}

bool JournalKeeper::WriteDue() const {
    return !m_sinceWrite.isValid() || m_sinceWrite.elapsed() >= kWriteIntervalMs;
}

void JournalKeeper::OnPoint(const MeasuredPoint& point) {
    if (!m_active) {
        return;
    }
    // The first point of a timed step is written at once: from then on a
    // resume goes on with the step's dwell instead of entering it anew. The
    // record is brought up to date only when it is written: points may come
    // by the thousand a second.
    if (m_station.State().StepTimed != m_record.plan.timed || WriteDue()) {
        Update(point.time, point.lineNumber);
        Write();
    } else {
        m_record.lastLine = point.lineNumber;
        m_record.lastPoint = point.time;
    }
}

void JournalKeeper::Update(const QDateTime& now, std::optional<qint64> line) {
    const RunState& s = m_station.State();
    const StepTable& table = m_station.Test().Table();
    const Displays& views = m_station.Views();
    ResumePlan& p = m_record.plan;
    if (line) {
        m_record.lastLine = *line;
    }
    m_record.lastPoint = now;
    p.step = s.CurrentStep;
    p.timed = s.StepTimed;
    p.stepElapsed =
        p.timed ? SecondsSince(s.StepStartTime, now.time().msecsSinceStartOfDay() / 1000.0) : 0.0;
    p.totalElapsed = s.Running && s.RunStartStamp.isValid() && s.RunStartStamp <= now
                         ? s.RunStartStamp.msecsTo(now) / 1000.0
                         : p.totalElapsed;
    p.forRow = s.ForRow;
    p.forLoopCount = s.ForLoopCount;
    p.forCell = s.ForRow > 0 ? table.Cell(s.ForRow, StepColumn::LoopTimes) : QString();
    p.for2Row = s.For2Row;
    p.for2LoopCount = s.For2LoopCount;
    p.for2Cell = s.For2Row > 0 ? table.Cell(s.For2Row, StepColumn::LoopTimes) : QString();
    p.stepAh = views.Value(Displays::AmpHours);
    p.stepKwh = views.Value(Displays::KilowattHours);
    p.testAh = views.Value(Displays::TestAmpHours);
    p.testWh = views.Value(Displays::TestWattHours);
    p.inputOn = m_station.LoadInputOn();
    if (m_openStep) {
        m_record.openStep = m_openStep();
    }
}

void JournalKeeper::Write() {
    m_sinceWrite.start();
    QString error;
    if (!RunJournal::Write(m_path, m_record, &error) && !m_reported && m_report) {
        m_reported = true;
        m_report(QStringLiteral("Cannot write the run journal %1: %2; the test could not be "
                                "resumed after a crash.")
                     .arg(m_path, error));
    }
}

void JournalKeeper::OnRunEnded(RunOutcome outcome) {
    if (!m_active) {
        return;
    }
    m_active = false;
    if (m_continued && outcome == RunOutcome::NoLoad) {
        return;  // the interrupted run can still be resumed once the load answers
    }
    QFile::remove(m_path);
}
