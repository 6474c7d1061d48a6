#include "RunProgress.h"

#include <cstdio>

#include "ActionCatalogue.h"
#include "Clock.h"
#include "LoadConnection.h"
#include "NumberText.h"
#include "PointLog.h"
#include "Station.h"

RunProgress::RunProgress(Station& station, QObject* parent) : QObject(parent), m_station(station) {
    QObject::connect(&station.Control(), &RunControl::stepEntered, this,
                     &RunProgress::OnStepEntered);
    QObject::connect(&station.Control(), &RunControl::pointLogged, this, &RunProgress::OnPoint);
    QObject::connect(&station.Connection(), &LoadConnection::connectProgress, this,
                     &RunProgress::OnConnecting);
}

void RunProgress::OnConnecting(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void RunProgress::OnStepEntered(int gridRow) {
    const StepTable& table = m_station.Test().Table();
    const QString action = table.Cell(gridRow, StepColumn::ActionMode);
    const QString dwell = table.Cell(gridRow, StepColumn::DwellTime);
    if (dwell.isEmpty() || action == Action::kPlusLoad || Action::IsLoopControl(action)) {
        std::printf("step %d %s\n", gridRow, action.toLocal8Bit().constData());
    } else {
        std::printf("step %d %s dwell %s s\n", gridRow, action.toLocal8Bit().constData(),
                    dwell.toLocal8Bit().constData());
    }
    std::fflush(stdout);
}

void RunProgress::OnPoint(const MeasuredPoint& point) {
    const Displays& views = m_station.Views();
    const StepTable& table = m_station.Test().Table();
    const double elapsed = SecondsSince(m_station.State().StepStartTime,
                                        point.time.time().msecsSinceStartOfDay() / 1000.0);
    // One text and one write: as fast as the load answers, this line comes
    // thousands of times a second.
    const QString line =
        QStringLiteral("  point %1 step %2 %3 %4/%5 s V=%6 I=%7 P=%8 Ah=%9\n")
            .arg(QString::number(point.lineNumber), QString::number(point.step),
                 table.Cell(point.step, StepColumn::ActionMode), QString::number(elapsed, 'f', 1),
                 NumberText(m_station.State().StepDwell), views.Get(Displays::Voltage),
                 views.Get(Displays::Current), views.Get(Displays::Power),
                 views.Get(Displays::AmpHours));
    const QByteArray bytes = line.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}
