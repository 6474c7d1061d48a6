#include "PointLog.h"

#include "Clock.h"
#include "NumberText.h"
#include "PhaseGrid.h"
#include "RunState.h"
#include "TestFile.h"

PointLog::PointLog(const TestDocument& test, const PhaseGrid& phases, const RunState& state,
                   const Clock& clock, QObject* parent)
    : QObject(parent), m_test(test), m_phases(phases), m_state(state), m_clock(clock) {}

MeasuredPoint PointLog::Snapshot() const {
    MeasuredPoint p;
    p.lineNumber = m_lineNumber;
    p.step = m_state.CurrentStep + 1;
    if (m_state.ForRow != 0) {
        p.loop1 = m_test.Table().Cell(m_state.ForRow, StepColumn::LoopTimes);
    }
    p.time = m_clock.Now();
    for (int phase = 0; phase < 3; ++phase) {
        p.voltage[phase] = NumericValue(m_phases.Cell(phase + 1, 1));
        p.current[phase] = NumericValue(m_phases.Cell(phase + 1, 2));
        p.power[phase] = NumericValue(m_phases.Cell(phase + 1, 3));
    }
    p.totalTime = ElapsedText(m_state.RunStartStamp, p.time);
    p.stepMode = m_test.Records().Field(m_state.CurrentStep, StepField::LoadModeVolt);
    p.secondsSinceStart = m_state.RunStartStamp.msecsTo(p.time) / 1000.0;
    return p;
}

QString PointLog::Line(const MeasuredPoint& p) {
    // Built in one string: at the highest point rates a list of fields and a
    // time format parsed for every line cost as much as a query to the load.
    constexpr qsizetype kTypicalLineLength = 160;
    const QChar comma(QLatin1Char(','));
    QString line;
    line.reserve(kTypicalLineLength);
    line += QString::number(p.lineNumber);
    line += comma;
    line += QString::number(p.step);
    line += comma;
    line += CsvField(p.loop1);
    line += comma;
    line += ClockText(p.time.time());
    for (const auto* values : {&p.voltage, &p.current, &p.power}) {
        for (double v : *values) {
            line += comma;
            line += NumberText(v);
        }
    }
    line += comma;
    line += p.totalTime;
    line += comma;
    line += CsvField(p.stepMode);
    return line;
}

std::optional<QString> PointLog::LogPoint(Delivery delivery) {
    if (auto failure = DeliverHeld()) {
        return failure;
    }
    m_held = Snapshot();
    return delivery == Delivery::Now ? DeliverHeld() : std::nullopt;
}

std::optional<QString> PointLog::DeliverHeld() {
    if (!m_held) {
        return std::nullopt;
    }
    const MeasuredPoint point = std::move(*m_held);
    m_held.reset();
    std::optional<QString> failure;
    if (m_saveLogFlag == 1 && m_file.IsOpen()) {
        QString error;
        if (!m_file.WriteLine(Line(point), &error)) {
            failure = error;
        }
    }
    if (!failure) {
        ++m_lineNumber;
    }
    emit pointLogged(point);
    return failure;
}

std::optional<QString> PointLog::CloseLog() {
    std::optional<QString> failure = DeliverHeld();
    m_file.Close();
    return failure;
}
