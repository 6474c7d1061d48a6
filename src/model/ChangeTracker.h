#pragma once

#include <QObject>
#include <QVector>

#include "StepTable.h"
#include "TestOptions.h"

// Whether a step table and its measurement options differ from the test file
// they were last loaded from or saved to. It keeps the file's steps and
// options and compares as the table changes, so an edit undone by hand makes
// the table clean again.
class ChangeTracker : public QObject {
    Q_OBJECT

  public:
    explicit ChangeTracker(const StepTable& table, QObject* parent = nullptr);

    // The file now holds `fileSteps` and `fileOptions`. `fileDiffers` marks a
    // table that cannot match the file whatever it holds (a file cut to the
    // table's size).
    void MarkClean(const QVector<StepTable::Cells>& fileSteps, const TestOptions& fileOptions,
                   bool fileDiffers = false);
    // The options the table goes with now.
    void SetOptions(const TestOptions& options);

    bool IsModified() const { return m_modified; }

    // While held, the flag keeps its value and changes are only noted; the
    // last Release() compares once. Holds nest.
    void Hold();
    void Release();

  signals:
    void modifiedChanged(bool modified);

  private:
    void OnRowsChanged(int firstRow, int lastRow);
    bool RowDiffers(int gridRow) const;
    bool AnyDifference() const;
    void Update(bool modified);

    const StepTable& m_table;
    QVector<StepTable::Cells> m_fileSteps;
    TestOptions m_fileOptions;
    TestOptions m_options;
    bool m_fileDiffers = false;
    bool m_modified = false;
    int m_holds = 0;
};
