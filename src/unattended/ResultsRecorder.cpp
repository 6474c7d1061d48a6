#include "ResultsRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ActionCatalogue.h"
#include "Clock.h"
#include "DataLog.h"
#include "DurableFile.h"
#include "LoadConnection.h"
#include "NumberText.h"
#include "PhaseGrid.h"
#include "PointLog.h"
#include "ResultsContent.h"
#include "RunState.h"
#include "Station.h"

namespace {
const QString kRunning = QStringLiteral("running");
const QString kInterrupted = QStringLiteral("interrupted");

// "<name>-<yyyyMMdd-hhmmss>.json" by the file's modification time, as an
// earlier data log is named when it is moved aside.
QString AsideName(const QString& path) {
    const QFileInfo info(path);
    const QString stem = info.completeBaseName() + "-" +
                         info.lastModified().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString candidate = info.dir().filePath(stem + ".json");
    for (int n = 2; QFileInfo::exists(candidate); ++n) {
        candidate = info.dir().filePath(stem + "-" + QString::number(n) + ".json");
    }
    return QDir::toNativeSeparators(candidate);
}

QString TimeText(const QDateTime& time) {
    return time.isValid() ? time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs)
                          : QString();
}

// A measured quantity to the decimals its boxes show, not to the last bit.
double Rounded(double value, int decimals) {
    return QString::number(value, 'f', decimals).toDouble();
}

QJsonValue Optional(const std::optional<double>& value) {
    return value ? QJsonValue(Rounded(*value, 4)) : QJsonValue(QJsonValue::Null);
}

QJsonValue Optional(const std::optional<int>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

std::optional<double> OptionalNumber(const QJsonValue& value) {
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

std::optional<int> OptionalWhole(const QJsonValue& value) {
    return value.isDouble() ? std::optional<int>(value.toInt()) : std::nullopt;
}

// Which pass of the loop headed by `forRow` (with `count` passes) the step in
// `row` runs; nothing when the row is not inside that loop.
std::optional<int> LoopPass(const StepTable& table, int forRow, int count, int row,
                            const QString& loopEnd) {
    if (forRow <= 0 || row <= forRow) {
        return std::nullopt;
    }
    for (int r = forRow + 1; r < row; ++r) {
        if (table.Cell(r, StepColumn::ActionMode) == loopEnd) {
            return std::nullopt;
        }
    }
    const int passes = qMax(1, count);
    const int left = RoundedInteger(NumericValue(table.Cell(forRow, StepColumn::LoopTimes)));
    return qBound(1, passes - left + 1, passes);
}

QString OutcomeText(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Finished:
            return QStringLiteral("finished");
        case RunOutcome::Error:
        case RunOutcome::NoLoad:
            return QStringLiteral("error");
        case RunOutcome::Stopped:
        case RunOutcome::NotStarted:
        case RunOutcome::CheckFailed:
            break;
    }
    return QStringLiteral("stopped");
}
}  // namespace

QJsonObject ResultsRecorder::StepSummary::State() const {
    return QJsonObject{{"row", row},
                       {"action", action},
                       {"mode", mode},
                       {"loopPass", Optional(loopPass)},
                       {"loop2Pass", Optional(loop2Pass)},
                       {"start", TimeText(start)},
                       {"ahAtStart", ahAtStart},
                       {"whAtStart", whAtStart},
                       {"firstVoltage", Optional(firstVoltage)},
                       {"lastVoltage", Optional(lastVoltage)},
                       {"currentSum", currentSum},
                       {"points", points},
                       {"downtime", downtime},
                       {"limitReached", limitReached}};
}

ResultsRecorder::StepSummary ResultsRecorder::StepSummary::FromState(const QJsonObject& state) {
    StepSummary s;
    s.row = state.value("row").toInt();
    s.action = state.value("action").toString();
    s.mode = state.value("mode").toString();
    s.loopPass = OptionalWhole(state.value("loopPass"));
    s.loop2Pass = OptionalWhole(state.value("loop2Pass"));
    s.start = QDateTime::fromString(state.value("start").toString(), Qt::ISODateWithMs);
    s.ahAtStart = state.value("ahAtStart").toDouble();
    s.whAtStart = state.value("whAtStart").toDouble();
    s.firstVoltage = OptionalNumber(state.value("firstVoltage"));
    s.lastVoltage = OptionalNumber(state.value("lastVoltage"));
    s.currentSum = state.value("currentSum").toDouble();
    s.points = state.value("points").toInt();
    s.downtime = state.value("downtime").toDouble();
    s.limitReached = state.value("limitReached").toBool();
    return s;
}

ResultsRecorder::ResultsRecorder(Station& station, QString programName, QString programVersion,
                                 QObject* parent)
    : QObject(parent),
      m_station(station),
      m_programName(std::move(programName)),
      m_programVersion(std::move(programVersion)) {
    RunControl& control = station.Control();
    connect(&control, &RunControl::runStarted, this, &ResultsRecorder::OnRunStarted);
    connect(&control, &RunControl::stepEntered, this, &ResultsRecorder::OnStepEntered);
    connect(&control, &RunControl::pointLogged, this, &ResultsRecorder::OnPoint);
    connect(&control, &RunControl::stepEnded, this, &ResultsRecorder::OnStepEnded);
    connect(&control, &RunControl::runEnded, this, &ResultsRecorder::OnRunEnded);
}

QString ResultsRecorder::PathForLog(const QString& logPath) {
    const QFileInfo log(logPath);
    return QDir::toNativeSeparators(log.dir().filePath(log.completeBaseName() + ".json"));
}

QDateTime ResultsRecorder::Now() const {
    return m_station.RunClock().Now();
}

void ResultsRecorder::ContinueRun(const QString& path, const QDateTime& downFrom,
                                  const QJsonObject& openStep) {
    m_continuation = Continuation{path, downFrom, openStep};
}

void ResultsRecorder::NoteLimit() {
    if (m_open) {
        m_open->limitReached = true;
    }
}

QJsonObject ResultsRecorder::OpenStepState() const {
    return m_open ? m_open->State() : QJsonObject();
}

QJsonObject ResultsRecorder::NewDocument() const {
    const QString header = LogHeader({m_station.Phases().Cell(0, 1), m_station.Phases().Cell(0, 2),
                                      m_station.Phases().Cell(0, 3)});
    return QJsonObject{
        {"program", QJsonObject{{"name", m_programName}, {"version", m_programVersion}}},
        {"serialNumber", m_station.Views().Get(Displays::SerialNumber)},
        {"testFile", ResultsContent::TestDescription(m_station.Test())},
        {"safetyLimits", ResultsContent::LimitsDescription(m_station.Test().Limits())},
        {"connection", ResultsContent::ConnectionDescription(m_station.Connection())},
        {"start", TimeText(Now())},
        {"end", QJsonValue::Null},
        {"outcome", kRunning},
        {"message", QString()},
        {"interruptions", QJsonArray()},
        {"logFile", m_station.Views().Get(Displays::LogFilePath)},
        {"columns", ResultsContent::ColumnUnits(header)},
    };
}

void ResultsRecorder::OnRunStarted() {
    m_active = false;
    m_reported = false;
    m_open.reset();
    m_steps = QJsonArray();
    m_pendingWrite = false;
    const std::optional<Continuation> continuation = std::exchange(m_continuation, std::nullopt);
    if (m_station.Settings().saveLogFlag != 1 && !continuation) {
        return;  // no data log, nothing for results to sit beside
    }
    m_active = true;
    if (!continuation) {
        m_path = PathForLog(m_station.Views().Get(Displays::LogFilePath));
        KeepEarlierResults();
        m_document = NewDocument();
        Write();
        return;
    }
    m_path = continuation->path;
    QString error;
    const auto earlier = DurableFile::ReadJson(m_path, &error);
    m_document = earlier ? *earlier : NewDocument();
    m_steps = m_document.value("steps").toArray();
    const QDateTime now = Now();
    QJsonArray interruptions = m_document.value("interruptions").toArray();
    interruptions.append(
        QJsonObject{{"from", TimeText(continuation->downFrom)}, {"to", TimeText(now)}});
    m_document.insert("interruptions", interruptions);
    m_document.insert("outcome", kRunning);
    m_document.insert("message", QString());
    m_document.insert("end", QJsonValue::Null);
    if (!continuation->openStep.isEmpty()) {
        m_open = StepSummary::FromState(continuation->openStep);
        if (continuation->downFrom.isValid()) {
            m_open->downtime += continuation->downFrom.msecsTo(now) / 1000.0;
        }
    }
    // Written once the run has taken its first step again: a resume that
    // finds no load leaves the file as the interruption left it.
    m_pendingWrite = true;
}

void ResultsRecorder::KeepEarlierResults() {
    if (!QFileInfo::exists(m_path)) {
        return;
    }
    // The earlier log was moved aside; its results go with it, next to it.
    const QString asideLog = m_station.LogMovedAside();
    QString target = asideLog.isEmpty() ? QString() : PathForLog(asideLog);
    if (target.isEmpty() || QFileInfo::exists(target)) {
        target = AsideName(m_path);
    }
    QString error;
    auto earlier = DurableFile::ReadJson(m_path, &error);
    if (!earlier) {
        QFile::rename(m_path, target);  // kept as it is, whatever it holds
        return;
    }
    if (earlier->value("outcome").toString() == kRunning) {
        earlier->insert("outcome", kInterrupted);
    }
    if (!asideLog.isEmpty()) {
        earlier->insert("logFile", asideLog);
    }
    if (DurableFile::WriteJson(target, *earlier, &error)) {
        QFile::remove(m_path);
    }
}

void ResultsRecorder::OnStepEntered(int gridRow) {
    if (!m_active) {
        return;
    }
    if (std::exchange(m_pendingWrite, false)) {
        Write();
    }
    const StepTable& table = m_station.Test().Table();
    const QString action = table.Cell(gridRow, StepColumn::ActionMode);
    if (Action::IsLoopControl(action)) {
        return;
    }
    if (m_open && m_open->row == gridRow) {
        return;  // entered again after a pause or an interruption: the same step goes on
    }
    if (m_open) {
        // Left without an end of its own: a pulse step cut short by a limit.
        CloseStep(m_open->limitReached ? QStringLiteral("limit") : QStringLiteral("stop"));
        Write();
    }
    const RunState& s = m_station.State();
    StepSummary step;
    step.row = gridRow;
    step.action = action;
    step.mode = table.Cell(gridRow, StepColumn::Mode);
    step.loopPass = LoopPass(table, s.ForRow, s.ForLoopCount, gridRow, Action::kLoop);
    step.loop2Pass = LoopPass(table, s.For2Row, s.For2LoopCount, gridRow, Action::kLoop2);
    step.start = Now();
    step.ahAtStart = m_station.Views().Value(Displays::TestAmpHours);
    step.whAtStart = m_station.Views().Value(Displays::TestWattHours);
    m_open = step;
}

void ResultsRecorder::OnPoint(const MeasuredPoint&) {
    if (!m_active || !m_open) {
        return;
    }
    const Displays& views = m_station.Views();
    const double voltage = views.Value(Displays::Voltage);
    if (!m_open->firstVoltage) {
        m_open->firstVoltage = voltage;
    }
    m_open->lastVoltage = voltage;
    m_open->currentSum += views.Value(Displays::Current);
    ++m_open->points;
}

void ResultsRecorder::OnStepEnded(int gridRow, StopReason reason) {
    if (!m_active || !m_open || m_open->row != gridRow) {
        return;
    }
    CloseStep(ResultsContent::EndReasonText(m_open->action, m_open->mode, reason));
    Write();
}

void ResultsRecorder::CloseStep(const QString& endReason) {
    const StepSummary& s = *m_open;
    const Displays& views = m_station.Views();
    const QDateTime end = Now();
    const double duration = qMax(0.0, s.start.msecsTo(end) / 1000.0 - s.downtime);
    QJsonObject summary{
        {"step", s.row},
        {"action", s.action},
        {"loopPass", Optional(s.loopPass)},
        {"loop2Pass", Optional(s.loop2Pass)},
        {"start", TimeText(s.start)},
        {"end", TimeText(end)},
        {"duration", KeepFourDecimals(duration)},
        {"endReason", endReason},
        {"ah", Rounded(views.Value(Displays::TestAmpHours) - s.ahAtStart, 8)},
        {"wh", Rounded(views.Value(Displays::TestWattHours) - s.whAtStart, 6)},
        {"firstVoltage", Optional(s.firstVoltage)},
        {"lastVoltage", Optional(s.lastVoltage)},
        {"meanCurrent", s.points > 0 ? QJsonValue(Rounded(s.currentSum / s.points, 4))
                                     : QJsonValue(QJsonValue::Null)},
    };
    m_steps.append(summary);
    m_open.reset();
}

void ResultsRecorder::OnRunEnded(RunOutcome outcome) {
    if (!m_active) {
        return;
    }
    m_active = false;
    if (std::exchange(m_pendingWrite, false) && outcome == RunOutcome::NoLoad) {
        return;  // the interrupted run can still be resumed once the load answers
    }
    const bool limit = m_open && m_open->limitReached;
    const QString message = m_station.Control().EndMessage();
    if (m_open) {
        CloseStep(limit                          ? QStringLiteral("limit")
                  : outcome == RunOutcome::Error ? QStringLiteral("error")
                                                 : QStringLiteral("stop"));
    }
    m_document.insert("outcome", OutcomeText(outcome));
    m_document.insert("message", message);
    m_document.insert("end", TimeText(Now()));
    if (Write()) {
        emit finished(m_path);
    }
}

bool ResultsRecorder::Write() {
    m_document.insert("steps", m_steps);
    QString error;
    if (DurableFile::WriteJson(m_path, m_document, &error)) {
        return true;
    }
    if (!m_reported && m_report) {
        m_reported = true;
        m_report(QStringLiteral("Cannot write the results file %1: %2").arg(m_path, error));
    }
    return false;
}

bool ResultsRecorder::MarkInterrupted(const QString& path, QString* error) {
    auto document = DurableFile::ReadJson(path, error);
    if (!document) {
        return false;
    }
    if (document->value("outcome").toString() != kRunning) {
        return true;
    }
    document->insert("outcome", kInterrupted);
    return DurableFile::WriteJson(path, *document, error);
}
