#pragma once

#include <QObject>
#include <QString>

#include "ChangeTracker.h"
#include "SafetyLimits.h"
#include "StepRecord.h"
#include "StepTable.h"
#include "TestOptions.h"

class IniFile;
class Operator;

// True when the test file reader turns a decimal comma into a point in this
// field's values ("1,5" is read as 1.5); the other fields keep the comma, and
// a run reads their leading number only.
bool ReadsDecimalComma(StepField field);

// A test as the program holds it: the step table the operator edits, the step
// records the run reads, the measurement options, the number of steps last
// loaded or saved, and the path of the test file they belong to.
//
// Loading and saving follow the test file format: section "TestStep Option"
// with the options and "TotalStepCount", one section "Step<n>" per step with
// twelve keys. Saving updates keys in place and keeps every other section of
// the file (the connection section among them) and the steps beyond the new
// count. Messages go to the operator.
//
// The document knows whether the table or the options differ from the file
// (IsModified()), and says when that changes.
class TestDocument : public QObject {
    Q_OBJECT

  public:
    explicit TestDocument(QObject* parent = nullptr);

    StepTable& Table() { return m_table; }
    const StepTable& Table() const { return m_table; }
    StepRecordArray& Records() { return m_records; }
    const StepRecordArray& Records() const { return m_records; }

    const TestOptions& Options() const { return m_options; }
    // Sets the options the check boxes show; takes effect in the next save.
    void SetOptions(const TestOptions& options);

    int TotalStepCount() const { return m_totalStepCount; }

    // The test's [Safety Limits], as last loaded, saved or set.
    const SafetyLimits& Limits() const { return m_limits; }
    // Writes `limits` into the test file at once (nothing else in the file
    // changes) and holds them. Returns false, with a message, when the file
    // cannot be written; then nothing changes.
    bool SaveSafetyLimits(const SafetyLimits& limits, Operator& op);

    // SHA-256 (hex) of the steps as a run reads them: the step count and, for
    // each step, its fields (Frequency, CF and PF on load levels only). Two
    // tables that run alike have the same digest.
    QString StepsSha256() const;

    QString Path() const { return m_path; }
    void SetPath(const QString& path);

    // Reads Path() into the options, the table and the records. A missing
    // file loads as an empty table with the default options. A file that
    // cannot be read, is no regular file or is larger than 16 MB is refused
    // with a message and nothing changes; the result is then false.
    // Unbalanced loops are closed by appended steps (while the table has
    // room) and reported to `op`.
    bool LoadTestFile(Operator& op);
    // Makes `path` the current test file and loads it. What LoadTestFile
    // refuses is refused here too, and so are a missing file and a file with
    // neither a "TestStep Option" nor any "Step<n>" section: a message, false,
    // and nothing changes.
    bool OpenTestFile(const QString& path, Operator& op);
    // A new test with no file yet: one empty step, the default options and
    // no safety limits. It counts as unchanged until edited; Path() is "".
    void NewTest();
    // Writes the options and every step to `path`, which then becomes Path(),
    // and refreshes the records and the step count. Returns false, with the
    // reason in `error`, when the file cannot be written; then nothing
    // changes here and the old file stays whole.
    bool SaveTestFileAs(const QString& path, Operator& op, QString* error = nullptr);
    bool SaveTestFile(Operator& op, QString* error = nullptr) {
        return SaveTestFileAs(m_path, op, error);
    }

    // True when the table or the options differ from the test file as last
    // loaded or saved.
    bool IsModified() const { return m_changes.IsModified(); }
    // A run counts loop and dwell cells down in the table, and its Stop loads
    // the file again; while held, IsModified() keeps the value it had.
    void HoldModified(bool hold);

  signals:
    void optionsChanged();
    void pathChanged(const QString& path);
    void loaded();
    void modifiedChanged(bool modified);

  private:
    bool ReadTestFile(const QString& path, IniFile* ini, Operator& op) const;
    void TakeLoaded(const IniFile& ini, Operator& op);
    bool ReportSaveFailure(Operator& op, const QString& path, const QString& reason,
                           QString* error) const;

    StepTable m_table;
    StepRecordArray m_records;
    TestOptions m_options;
    SafetyLimits m_limits;
    int m_totalStepCount = 0;
    QString m_path;
    ChangeTracker m_changes{m_table};
    bool m_modifiedHeld = false;
};
