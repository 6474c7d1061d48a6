#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include "LoggedPoint.h"

// One stretch of a step in a data log: the points logged in a row with the
// same step number and FOR loop count.
struct StepStretch {
    int step = 0;
    int pass = 0;  // 1 for the step's first stretch in the log, 2 for the next ...
    QString loop1;
    QString stepMode;
    QString startTimeOfDay;
    double start = 0;     // run time the step took over: the previous point, or 0
    double duration = 0;  // from `start` to its last point
    qint64 points = 0;
    double lastVoltage = 0;  // mean phase voltage of its last point
    double ampereHours = 0;
    double wattHours = 0;
};

// The steps a data log holds, with charge and energy computed from its
// points as the program counts them during a run: each point adds the
// current (power) summed over the phases times the time since the point
// before it in the run.
class LogStepSummary {
  public:
    void Add(const LoggedPoint& point);
    void Clear() { *this = LogStepSummary(); }

    const QVector<StepStretch>& Stretches() const { return m_stretches; }
    double TotalAmpereHours() const { return m_totalAh; }
    double TotalWattHours() const { return m_totalWh; }
    double LastSeconds() const { return m_lastSeconds; }
    qint64 Points() const { return m_points; }

  private:
    QVector<StepStretch> m_stretches;
    QHash<int, int> m_passes;
    double m_lastSeconds = 0;
    double m_totalAh = 0;
    double m_totalWh = 0;
    qint64 m_points = 0;
};

// The mean of the phase voltages a point holds; a phase the load did not
// report is logged as 0 and left out.
double MeanPhaseVoltage(const LoggedPoint& point);
