#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "EndChecks.h"
#include "RunControl.h"

class Station;
struct MeasuredPoint;

// The results file <name>.json beside each data log <name>.CSV, so that a
// log explains itself: which program ran which steps with which limits on
// which load, when, how it ended, the units of the log's columns and one
// summary per step. Written when the run starts, replaced whole at every
// step end and at the end of the run.
class ResultsRecorder : public QObject {
    Q_OBJECT

  public:
    ResultsRecorder(Station& station, QString programName, QString programVersion,
                    QObject* parent = nullptr);

    // The next run goes on with the results file `path` of an interrupted
    // run: the program was down from `downFrom` until that run starts, and
    // `openStep` is the summary of the step it was in (OpenStepState()).
    void ContinueRun(const QString& path, const QDateTime& downFrom, const QJsonObject& openStep);
    // A reading of the current step crossed a safety limit.
    void NoteLimit();
    // The summary of the step going on, for the run journal.
    QJsonObject OpenStepState() const;
    // Where problems writing the file are reported (once a run).
    void SetProblemReporter(std::function<void(const QString&)> report) {
        m_report = std::move(report);
    }
    QString Path() const { return m_path; }

    // A results file whose run will not go on: "running" becomes
    // "interrupted". Returns false with the reason.
    static bool MarkInterrupted(const QString& path, QString* error);
    // The results file of the data log `logPath`.
    static QString PathForLog(const QString& logPath);

  signals:
    // The run ended and its results file was written for the last time.
    void finished(const QString& path);

  private:
    struct StepSummary {
        int row = 0;
        QString action;
        QString mode;
        std::optional<int> loopPass;
        std::optional<int> loop2Pass;
        QDateTime start;
        double ahAtStart = 0;
        double whAtStart = 0;
        std::optional<double> firstVoltage;
        std::optional<double> lastVoltage;
        double currentSum = 0;
        int points = 0;
        double downtime = 0;  // seconds the program was down during the step
        bool limitReached = false;

        QJsonObject State() const;
        static StepSummary FromState(const QJsonObject& state);
    };

    void OnRunStarted();
    void OnStepEntered(int gridRow);
    void OnPoint(const MeasuredPoint& point);
    void OnStepEnded(int gridRow, StopReason reason);
    void OnRunEnded(RunOutcome outcome);
    QJsonObject NewDocument() const;
    // An earlier results file of the same name goes aside with its log.
    void KeepEarlierResults();
    void CloseStep(const QString& endReason);
    bool Write();
    QDateTime Now() const;

    Station& m_station;
    QString m_programName;
    QString m_programVersion;
    std::function<void(const QString&)> m_report;
    bool m_active = false;
    bool m_reported = false;
    QString m_path;
    QJsonObject m_document;
    QJsonArray m_steps;
    std::optional<StepSummary> m_open;
    // A run to go on with at the next start.
    struct Continuation {
        QString path;
        QDateTime downFrom;
        QJsonObject openStep;
    };
    std::optional<Continuation> m_continuation;
    bool m_pendingWrite = false;  // a resumed run's file waits for its first step
};
