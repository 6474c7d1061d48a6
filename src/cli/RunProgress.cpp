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
    std::printf("  point %lld step %d %s %.1f/%s s V=%s I=%s P=%s Ah=%s\n",
                static_cast<long long>(point.lineNumber), point.step,
                table.Cell(point.step, StepColumn::ActionMode).toLocal8Bit().constData(), elapsed,
                NumberText(m_station.State().StepDwell).toLocal8Bit().constData(),
                views.Get(Displays::Voltage).toLocal8Bit().constData(),
                views.Get(Displays::Current).toLocal8Bit().constData(),
                views.Get(Displays::Power).toLocal8Bit().constData(),
                views.Get(Displays::AmpHours).toLocal8Bit().constData());
    std::fflush(stdout);
}
