// Mean time of loading and of saving a test file of 1000 steps, the largest
// table the program holds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ActionCatalogue.h"
#include "Operator.h"
#include "StepRecord.h"
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

// A reader that looks every key up on its own, opening and scanning the file
// from its start each time, as a profile-string lookup does: the yardstick
// the one-pass reader is measured against.
QString ValueByKeyScan(const QString& path, const QString& section, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    const QString prefix = key + QLatin1Char('=');
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(header, Qt::CaseInsensitive) == 0;
        } else if (inSection && line.startsWith(prefix, Qt::CaseInsensitive)) {
            return line.mid(prefix.size());
        }
    }
    return QString();
}

// Reads every step field of the file key by key; returns the fields read.
int LoadKeyByKey(const QString& path) {
    const int steps = ValueByKeyScan(path, "TestStep Option", "TotalStepCount").toInt();
    int read = 0;
    for (int step = 1; step <= steps; ++step) {
        for (const QString& key : StepFieldKeys()) {
            ValueByKeyScan(path, QStringLiteral("Step%1").arg(step), key);
            ++read;
        }
    }
    return read;
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
    timer.start();
    const int fields = LoadKeyByKey(doc.Path());
    std::printf("per-key load: mean %.2f ms (%d fields, one round)\n", timer.nsecsElapsed() / 1e6,
                fields);
    return EXIT_SUCCESS;
}
