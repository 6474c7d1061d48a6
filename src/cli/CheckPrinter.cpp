#include "CheckPrinter.h"

#include <QFileInfo>
#include <cstdio>

#include "CheckTest.h"
#include "RunnerCommandLine.h"
#include "TestFile.h"

namespace {
bool Readable(const QString& path) {
    const QFileInfo file(path);
    if (file.isFile() && file.isReadable()) {
        return true;
    }
    std::fprintf(stderr, "zld-run: cannot check %s: %s\n", path.toLocal8Bit().constData(),
                 file.exists() ? "the file cannot be read" : "no such file");
    return false;
}
}  // namespace

int CheckCommand(const TestDocument& test) {
    if (!Readable(test.Path())) {
        return kNotStarted;
    }
    CheckTest check(test.Table());
    check.SetSafetyLimits(test.Limits());
    const CheckReport report = check.Run();
    for (const QString& line : report.Lines()) {
        std::printf("%s\n", line.toLocal8Bit().constData());
    }
    std::printf("estimated duration: %s\n", report.EstimatedDuration().toLocal8Bit().constData());
    std::fflush(stdout);
    return report.HasErrors() ? kCheckFailed : kFinished;
}
