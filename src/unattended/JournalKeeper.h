#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "RunControl.h"
#include "RunJournal.h"

class Station;
struct MeasuredPoint;

// Keeps the run journal of the running test up to date: at the start, at
// every timed step entered and, at most once a second, at the other steps
// and the points; removes it
// when the run ends (by its end, Stop or an error). A run that starts anew
// with a serial number whose journal is still there keeps the old journal as
// "<name>.run.discarded".
class JournalKeeper : public QObject {
    Q_OBJECT

  public:
    explicit JournalKeeper(Station& station, QObject* parent = nullptr);

    // The summary of the open step, kept with the journal.
    void SetOpenStepSource(std::function<QJsonObject()> source) { m_openStep = std::move(source); }
    void SetProblemReporter(std::function<void(const QString&)> report) {
        m_report = std::move(report);
    }
    // The next run goes on with this interrupted run's journal.
    void ContinueRun(const QString& path, const JournalRecord& record);
    QString Path() const { return m_path; }

  private:
    void OnRunStarted();
    void OnStepEntered(int gridRow);
    bool WriteDue() const;
    void OnPoint(const MeasuredPoint& point);
    void OnRunEnded(RunOutcome outcome);
    void Update(const QDateTime& now, std::optional<qint64> line);
    void Write();

    Station& m_station;
    std::function<QJsonObject()> m_openStep;
    std::function<void(const QString&)> m_report;
    bool m_active = false;
    bool m_continued = false;
    bool m_reported = false;
    QString m_path;
    JournalRecord m_record;
    std::optional<std::pair<QString, JournalRecord>> m_continuation;
    QElapsedTimer m_sinceWrite;
};
