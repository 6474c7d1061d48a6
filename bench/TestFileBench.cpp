// Mean time of loading and of saving a test file of 1000 steps, the largest
// table the program holds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ActionCatalogue.h"
#include "Operator.h"
#include "StepTable.h"
#include "TestFile.h"

namespace {
constexpr int kRounds = 50;

// Counts messages instead of showing them; a clean run shows none.
class SilentOperator : public Operator {
  public:
    void ShowMessage(const QString&, const QString&) override { ++messages; }
    // A benchmark goes on whatever it is asked.
    int AskChoice(const QString&, const QStringList&, const QStringList&) override { return 0; }
    QString AskOpenFile(const QString&, const QString&) override { return QString(); }
    QString AskSaveFile(const QString&, const QString&) override { return QString(); }
    int messages = 0;
};

void FillTable(StepTable& table) {
    const StepTable::Cells discharge{"DisCharge", "CC", "30",       "600", "42", "1",
                                     "0",         "1",  "NextStep", "",    "",   ""};
    const StepTable::Cells level{"LoadLevel", "CC", "5", "300", "",    "",
                                 "",          "1",  "",  "60",  "1.4", "1"};
    const StepTable::Cells rest{"Suspend", "", "", "60", "0", "", "", "1", "NextStep", "", "", ""};
    table.SetStepCount(StepTable::kMaxSteps);
    for (int r = 1; r <= StepTable::kMaxSteps; ++r) {
        switch (r % 3) {
            case 0:
                table.SetStepCells(r, discharge);
                break;
            case 1:
                table.SetStepCells(r, level);
                break;
            default:
                table.SetStepCells(r, rest);
                break;
        }
    }
}

double MeanMs(qint64 totalNs) {
    return static_cast<double>(totalNs) / 1e6 / kRounds;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return EXIT_FAILURE;
    }
    SilentOperator op;
    TestDocument doc;
    doc.SetPath(dir.filePath("TestFile01.INI"));
    FillTable(doc.Table());
    if (!doc.SaveTestFile(op)) {
        return EXIT_FAILURE;
    }

    QElapsedTimer timer;
    qint64 loadNs = 0;
    qint64 saveNs = 0;
    for (int round = 0; round < kRounds; ++round) {
        timer.start();
        doc.LoadTestFile(op);
        loadNs += timer.nsecsElapsed();
        timer.start();
        doc.SaveTestFile(op);
        saveNs += timer.nsecsElapsed();
    }
    if (doc.TotalStepCount() != StepTable::kMaxSteps || op.messages != 0) {
        std::fprintf(stderr, "unexpected result: %d steps, %d messages\n", doc.TotalStepCount(),
                     op.messages);
        return EXIT_FAILURE;
    }
    std::printf("test file: %d steps, %lld bytes, %d rounds\n", StepTable::kMaxSteps,
                static_cast<long long>(QFileInfo(doc.Path()).size()), kRounds);
    std::printf("load: mean %.2f ms\n", MeanMs(loadNs));
    std::printf("save: mean %.2f ms\n", MeanMs(saveNs));
    return EXIT_SUCCESS;
}
