#pragma once

#include <QObject>
#include <QString>
#include <QVector>
#include <optional>

#include "JournalKeeper.h"
#include "LimitWatch.h"
#include "ResultsRecorder.h"
#include "RunJournal.h"

class Operator;
class Station;

// A run journal left in a program folder: a test that was interrupted.
struct InterruptedRun {
    QString journalPath;
    JournalRecord record;  // serial number (from the file name) only, when unreadable
    QString problem;       // why the journal cannot be read; "" when it can

    QString SerialNumber() const { return record.serialNumber; }
    // "The test of CELL7 was interrupted at step 3 (2026-12-08 14:02:07)."
    QString Description() const;
};

// What a test that runs for days with nobody at the bench needs beside the
// run itself, for the window and zld-run alike: the safety limits checked at
// every reading, the run journal kept for a resume after a crash or a power
// cut, the results file beside the data log, and the resume itself.
class UnattendedRuns : public QObject {
    Q_OBJECT

  public:
    // `programName` and `programVersion` go into the results files.
    UnattendedRuns(Station& station, const QString& programName, const QString& programVersion,
                   QObject* parent = nullptr);
    ~UnattendedRuns() override;

    // The interrupted runs of the program folder, the latest first.
    QVector<InterruptedRun> FindInterrupted() const;

    // Opens the interrupted run's test file and checks that the run can go
    // on: its journal readable, its steps unchanged, its data log there.
    // Tells the operator why not, and returns false then.
    bool PrepareResume(const InterruptedRun& run);
    // Starts the run PrepareResume accepted: connects, programs the
    // interrupted step again and goes on.
    void StartPreparedResume();
    // Keeps the journal as "<name>.run.discarded" and marks the run's results
    // interrupted; returns where the journal went ("" when it could not be
    // moved, and the operator told).
    QString Discard(const InterruptedRun& run);

    // At the window's start-up: asks "Resume", "Start over" or "Not now"
    // about the latest interrupted run and does what the answer says.
    void OfferResume();

    static inline const char* const kResume = "Resume";
    static inline const char* const kStartOver = "Start over";
    static inline const char* const kNotNow = "Not now";

  signals:
    // The results file of a run that ended was written for the last time.
    void resultsFinished(const QString& path);

  private:
    void Report(const QString& problem);
    bool Refuse(const InterruptedRun& run, const QString& why);

    Station& m_station;
    Operator& m_operator;
    LimitWatch m_watch;
    ResultsRecorder m_results;
    JournalKeeper m_journal;
    std::optional<ResumePlan> m_prepared;
};
