#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "DataLog.h"

class Clock;
class Displays;
class PhaseGrid;
class TestDocument;
struct RunState;

// One logged measurement point, as the data log line holds it.
struct MeasuredPoint {
    qint64 lineNumber = 0;
    int step = 0;
    QString loop1;
    QDateTime time;
    std::array<double, 3> voltage{};
    std::array<double, 3> current{};
    std::array<double, 3> power{};
    QString totalTime;
    QString stepMode;
    double secondsSinceStart = 0;
};

// Records measurement points: a CSV line in the run's data log when logs are
// kept, and a signal for the live chart and the terminal in every case.
class PointLog : public QObject {
    Q_OBJECT

  public:
    PointLog(const TestDocument& test, const PhaseGrid& phases, const RunState& state,
             const Clock& clock, QObject* parent = nullptr);

    DataLog& File() { return m_file; }
    void SetSaveLogFlag(int flag) { m_saveLogFlag = flag; }
    void RestartNumbering() { m_lineNumber = 1; }
    // A log that goes on: the next line gets `number`.
    void ContinueNumbering(qint64 number) { m_lineNumber = number; }

    enum class Delivery {
        Now,
        // The line and the signal wait for DeliverHeld(), so that they can go
        // out while the load works on the next point's first query.
        Held
    };
    // Records the point the phase grid shows now, after delivering a point
    // still held. Returns the reason when the data log could not be written.
    std::optional<QString> LogPoint(Delivery delivery = Delivery::Now);
    // Writes the held point's line and signals it; nothing when none is held.
    // Returns the reason when the data log could not be written.
    std::optional<QString> DeliverHeld();
    // Delivers the held point, then closes the data log. Returns the reason
    // when the held point's line could not be written.
    std::optional<QString> CloseLog();

  signals:
    void pointLogged(const MeasuredPoint& point);

  private:
    MeasuredPoint Snapshot() const;
    static QString Line(const MeasuredPoint& point);

    const TestDocument& m_test;
    const PhaseGrid& m_phases;
    const RunState& m_state;
    const Clock& m_clock;
    DataLog m_file;
    int m_saveLogFlag = 0;
    qint64 m_lineNumber = 1;
    std::optional<MeasuredPoint> m_held;
};
