#pragma once

#include <QObject>
#include <QString>

class Station;
struct MeasuredPoint;

// Prints a run's progress on stdout: a line while the load is being
// connected, at every step entry and at every measurement point.
class RunProgress : public QObject {
    Q_OBJECT

  public:
    explicit RunProgress(Station& station, QObject* parent = nullptr);

  private:
    void OnConnecting(const QString& text);
    void OnStepEntered(int gridRow);
    void OnPoint(const MeasuredPoint& point);

    Station& m_station;
};
