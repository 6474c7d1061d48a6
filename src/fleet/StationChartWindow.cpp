#include "StationChartWindow.h"

#include <QVBoxLayout>

#include "PhaseChart.h"
#include "PointLog.h"

StationChartWindow::StationChartWindow(const QString& prefix, const QString& title,
                                       const QList<MeasuredPoint>& history, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prefix(prefix) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    m_chart = new PhaseChart(this);
    layout->addWidget(m_chart);
    for (const MeasuredPoint& point : history) {
        m_chart->AddPoint(point);
    }
    resize(900, 700);
}

void StationChartWindow::AddPoint(const QString& prefix, const MeasuredPoint& point,
                                  bool restarted) {
    if (prefix != m_prefix) {
        return;
    }
    if (restarted) {
        m_chart->Clear();
    }
    m_chart->AddPoint(point);
}
