#pragma once

#include <QObject>

class Station;
struct MeasuredPoint;

// Prints a run's progress on stdout: a line at every step entry and at every
// measurement point.
class RunProgress : public QObject {
    Q_OBJECT

  public:
    explicit RunProgress(Station& station, QObject* parent = nullptr);

  private:
    void OnStepEntered(int gridRow);
    void OnPoint(const MeasuredPoint& point);

    Station& m_station;
};
