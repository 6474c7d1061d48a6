#include "LogViewer.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "LogFollower.h"
#include "LogStepTableModel.h"
#include "Operator.h"
#include "PhaseChart.h"
#include "RunTimeTicker.h"

LogViewer* LogViewer::Open(const QString& path, Operator& op, QWidget* parent) {
    auto* viewer = new LogViewer(parent);
    QString error;
    if (!viewer->m_follower->Open(path, &error)) {
        delete viewer;
        op.ShowMessage(error);
        return nullptr;
    }
    viewer->setWindowTitle(QStringLiteral("Data Log - %1").arg(QFileInfo(path).fileName()));
    viewer->setWindowFilePath(path);
    viewer->ShowStatus();
    viewer->show();
    return viewer;
}

LogViewer::LogViewer(QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_follower(new LogFollower(this)),
      m_chart(new PhaseChart(this)),
      m_model(new LogStepTableModel(this)),
      m_steps(new QTableView(this)),
      m_status(new QLabel(this)) {
    setObjectName(QStringLiteral("LogViewer"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_steps->setObjectName(QStringLiteral("LogSteps"));
    m_steps->setModel(m_model);
    m_steps->verticalHeader()->hide();
    m_steps->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_steps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_steps->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_status->setObjectName(QStringLiteral("LogStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_chart);
    splitter->addWidget(m_steps);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(splitter, 1);

    connect(m_follower, &LogFollower::pointsRead, this, &LogViewer::Show);
    connect(m_follower, &LogFollower::restarted, this, &LogViewer::Restart);
    connect(m_follower, &LogFollower::failed, this, &LogViewer::Fail);
    resize(QSize(1100, 800).boundedTo(screen()->availableGeometry().size()));
}

void LogViewer::Show(const QVector<LoggedPoint>& points) {
    for (const LoggedPoint& point : points) {
        m_chart->AddPoint(point.seconds, point.voltage, point.current, point.power);
    }
    m_model->Update(m_follower->Summary().Stretches());
    m_problem.clear();
    ShowStatus();
}

void LogViewer::Restart() {
    m_chart->Clear();
    m_model->Clear();
    m_problem = QStringLiteral("The file was replaced by another log; reading it from the start.");
    ShowStatus();
}

void LogViewer::Fail(const QString& message) {
    m_problem = message;
    ShowStatus();
}

QString LogViewer::StatusText() const {
    return m_status->text();
}

void LogViewer::ShowStatus() {
    const LogStepSummary& summary = m_follower->Summary();
    QString text = QStringLiteral("%1: %2 points over %3, total %4 Ah, %5 Wh.")
                       .arg(QDir::toNativeSeparators(m_follower->Path()))
                       .arg(summary.Points())
                       .arg(RunTimeTicker::Label(summary.LastSeconds(), 0))
                       .arg(summary.TotalAmpereHours(), 0, 'f', 6)
                       .arg(summary.TotalWattHours(), 0, 'f', 4);
    if (m_follower->SkippedLines() > 0) {
        text += QStringLiteral(" %1 lines that are no points were skipped.")
                    .arg(m_follower->SkippedLines());
    }
    if (!m_problem.isEmpty()) {
        text += QLatin1Char(' ') + m_problem;
    }
    m_status->setText(text);
}
