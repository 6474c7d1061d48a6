#include "UnattendedRuns.h"

#include <QFileInfo>
#include <QTimer>

#include "DurableFile.h"
#include "Operator.h"
#include "ResultsContent.h"
#include "Station.h"

namespace {
const QString kShownTime = QStringLiteral("yyyy-MM-dd hh:mm:ss");
}  // namespace

QString InterruptedRun::Description() const {
    if (!problem.isEmpty()) {
        return QStringLiteral("The test of %1 was interrupted.").arg(SerialNumber());
    }
    return QStringLiteral("The test of %1 was interrupted at step %2 (%3).")
        .arg(SerialNumber())
        .arg(record.plan.step + 1)
        .arg(record.lastPoint.toLocalTime().toString(kShownTime));
}

UnattendedRuns::UnattendedRuns(Station& station, const QString& programName,
                               const QString& programVersion, QObject* parent)
    : QObject(parent),
      m_station(station),
      m_operator(station.OperatorSeam()),
      m_results(station, programName, programVersion),
      m_journal(station) {
    const auto report = [this](const QString& problem) { Report(problem); };
    m_results.SetProblemReporter(report);
    m_journal.SetProblemReporter(report);
    m_journal.SetOpenStepSource([this] { return m_results.OpenStepState(); });
    connect(&m_results, &ResultsRecorder::finished, this, &UnattendedRuns::resultsFinished);
    connect(&station.Control(), &RunControl::runStarted, this,
            [this] { m_watch.SetLimits(m_station.Test().Limits()); });
    station.Guard().SetCheck([this](const Reading& reading) {
        auto trip = m_watch.Check(reading);
        if (trip) {
            m_results.NoteLimit();
        }
        return trip;
    });
}

UnattendedRuns::~UnattendedRuns() {
    // The station may outlive these services; its readings then go unchecked.
    m_station.Guard().SetCheck(nullptr);
}

void UnattendedRuns::Report(const QString& problem) {
    // Told once the tick that met it is over, so that a box waiting for its
    // OK does not hold the run.
    QTimer::singleShot(0, this, [this, problem] { m_operator.ShowMessage(problem); });
}

QVector<InterruptedRun> UnattendedRuns::FindInterrupted() const {
    QVector<InterruptedRun> runs;
    for (const QString& path : RunJournal::Find(m_station.Settings().programFolder)) {
        InterruptedRun run;
        run.journalPath = path;
        QString error;
        if (const auto record = RunJournal::Read(path, &error)) {
            run.record = *record;
        } else {
            run.problem = error;
            run.record.serialNumber = QFileInfo(path).completeBaseName();
        }
        runs.push_back(run);
    }
    return runs;
}

bool UnattendedRuns::Refuse(const InterruptedRun& run, const QString& why) {
    m_operator.ShowMessage(
        QStringLiteral("The test of %1 cannot be resumed: %2.").arg(run.SerialNumber(), why));
    return false;
}

bool UnattendedRuns::PrepareResume(const InterruptedRun& run) {
    m_prepared.reset();
    const JournalRecord& record = run.record;
    if (!run.problem.isEmpty()) {
        return Refuse(run, QStringLiteral("its run journal %1 cannot be read (%2)")
                               .arg(run.journalPath, run.problem));
    }
    if (m_station.State().Running) {
        return Refuse(run, QStringLiteral("a test is running"));
    }
    if (!QFileInfo(record.testFile).isFile()) {
        return Refuse(run, QStringLiteral("its test file %1 is missing").arg(record.testFile));
    }
    if (!m_station.OpenTestFile(record.testFile)) {
        return false;  // the station said why
    }
    const TestDocument& test = m_station.Test();
    if (test.StepsSha256() != record.stepsSha256) {
        QString error;
        const auto results = DurableFile::ReadJson(record.resultsFile, &error);
        const QString difference =
            results ? ResultsContent::StepsDifference(
                          results->value("testFile").toObject().value("steps").toArray(), test)
                    : QString();
        return Refuse(
            run,
            QStringLiteral("the steps of %1 changed since it was interrupted%2")
                .arg(record.testFile,
                     difference.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(difference)));
    }
    const ResumePlan& plan = record.plan;
    const int steps = test.TotalStepCount();
    if (plan.step >= steps || plan.forRow > steps || plan.for2Row > steps) {
        return Refuse(run, QStringLiteral("its run journal names step %1 of a test of %2 steps")
                               .arg(plan.step + 1)
                               .arg(steps));
    }
    if (!record.logFile.isEmpty() && !QFileInfo(record.logFile).isFile()) {
        return Refuse(run, QStringLiteral("its data log %1 is missing").arg(record.logFile));
    }
    m_station.Views().Set(Displays::SerialNumber, record.serialNumber);
    m_results.ContinueRun(record.resultsFile, record.lastPoint, record.openStep);
    m_journal.ContinueRun(run.journalPath, record);
    m_prepared = plan;
    return true;
}

void UnattendedRuns::StartPreparedResume() {
    if (const auto plan = std::exchange(m_prepared, std::nullopt)) {
        m_station.Control().StartResumed(*plan);
    }
}

QString UnattendedRuns::Discard(const InterruptedRun& run) {
    QString error;
    const QString kept = RunJournal::KeepDiscarded(run.journalPath, &error);
    if (kept.isEmpty()) {
        m_operator.ShowMessage(
            QStringLiteral("The run journal %1 cannot be dropped: %2").arg(run.journalPath, error));
        return QString();
    }
    if (run.problem.isEmpty() && QFileInfo::exists(run.record.resultsFile) &&
        !ResultsRecorder::MarkInterrupted(run.record.resultsFile, &error)) {
        m_operator.ShowMessage(
            QStringLiteral("The results file %1 cannot be marked interrupted: %2")
                .arg(run.record.resultsFile, error));
    }
    return kept;
}

void UnattendedRuns::OfferResume() {
    const QVector<InterruptedRun> runs = FindInterrupted();
    if (runs.isEmpty() || m_station.State().Running) {
        return;
    }
    const InterruptedRun& run = runs.first();
    const int answer =
        m_operator.AskChoice(run.Description() + QStringLiteral(" Resume it?"), {},
                             {QString::fromLatin1(kResume), QString::fromLatin1(kStartOver),
                              QString::fromLatin1(kNotNow)});
    if (answer == 0) {
        if (PrepareResume(run)) {
            QTimer::singleShot(0, this, &UnattendedRuns::StartPreparedResume);
        }
        return;
    }
    if (answer != 1 || Discard(run).isEmpty()) {
        return;
    }
    // The same test again from its first step, under the same serial number;
    // the earlier log and results are moved aside when it starts.
    if (run.problem.isEmpty() && QFileInfo(run.record.testFile).isFile() &&
        !m_station.OpenTestFile(run.record.testFile)) {
        return;
    }
    m_station.Views().Set(Displays::SerialNumber, run.SerialNumber());
    QTimer::singleShot(0, &m_station, &Station::Start);
}
