#pragma once

#include <QWidget>

class LogFollower;
class LogStepTableModel;
class Operator;
class PhaseChart;
class QLabel;
class QTableView;
struct LoggedPoint;

// A window on one data log, finished or still being written: voltage,
// current and power of the three phases against total time in the charts
// the run view uses, and a table of the steps the log holds. A log that
// grows is followed.
class LogViewer : public QWidget {
    Q_OBJECT

  public:
    // Opens the log at `path` in a window of its own (kept by `parent` when
    // given, deleted when closed). A file that cannot be read or is no data
    // log gets a message through `op` instead, and nullptr comes back.
    static LogViewer* Open(const QString& path, Operator& op, QWidget* parent = nullptr);

    PhaseChart& Chart() const { return *m_chart; }
    QTableView& Steps() const { return *m_steps; }
    const LogFollower& Follower() const { return *m_follower; }
    QString StatusText() const;

  private:
    explicit LogViewer(QWidget* parent);
    void Show(const QVector<LoggedPoint>& points);
    void Restart();
    void Fail(const QString& message);
    void ShowStatus();

    LogFollower* m_follower;
    PhaseChart* m_chart;
    LogStepTableModel* m_model;
    QTableView* m_steps;
    QLabel* m_status;
    QString m_problem;
};
