#pragma once

#include <QObject>
#include <QString>

#include "StepRecord.h"
#include "StepTable.h"
#include "TestOptions.h"

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

    QString Path() const { return m_path; }
    void SetPath(const QString& path);

    // Reads Path() into the options, the table and the records. A missing
    // file loads as an empty table with the default options; so does one that
    // cannot be read, with a message. Unbalanced loops are closed by appended
    // steps (while the table has room) and reported to `op`.
    void LoadTestFile(Operator& op);
    // Writes the options and every step to Path(), refreshing the records.
    // Returns false, with the reason in `error`, when the file cannot be
    // written; the old file then stays whole.
    bool SaveTestFile(Operator& op, QString* error = nullptr);

  signals:
    void optionsChanged();
    void pathChanged(const QString& path);
    void loaded();

  private:
    bool ReportSaveFailure(Operator& op, const QString& reason, QString* error) const;

    StepTable m_table;
    StepRecordArray m_records;
    TestOptions m_options;
    int m_totalStepCount = 0;
    QString m_path;
};
