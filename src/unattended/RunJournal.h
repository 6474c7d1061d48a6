#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "ResumePlan.h"

// What a run that is going on leaves behind for a resume after a crash or a
// power cut: the run journal TestLog/<serial number>.run, a small JSON file
// replaced whole at every step and (at most once a second) at every point.
// A journal that is still there when no run goes means the run was
// interrupted.
struct JournalRecord {
    QString serialNumber;
    QString testFile;
    QString stepsSha256;   // of the steps the run began with
    QString logFile;       // the CSV data log
    QString resultsFile;   // the results file beside it
    qint64 lastLine = 0;   // number of the last line logged; 0 before the first
    QDateTime lastPoint;   // when the journal was last brought up to date
    ResumePlan plan;       // the step (0-based there), loops, times, integrals
    QJsonObject openStep;  // the results file's summary of the step so far

    QJsonObject ToJson() const;
    // Nothing, with the reason, when a key is missing or of the wrong kind.
    static std::optional<JournalRecord> FromJson(const QJsonObject& json, QString* error);
};

namespace RunJournal {

// TestLog/<serial>.run in `programFolder`.
QString PathFor(const QString& programFolder, const QString& serial);
// Every journal in the folder's TestLog, the most recently written first.
QStringList Find(const QString& programFolder);

bool Write(const QString& path, const JournalRecord& record, QString* error);
std::optional<JournalRecord> Read(const QString& path, QString* error);

// Moves the journal to "<name>.run.discarded" (or "<name>.run.discarded-2",
// ... when that exists), so that nothing is lost. Returns the new path, or
// "" with the reason.
QString KeepDiscarded(const QString& path, QString* error);

}  // namespace RunJournal
