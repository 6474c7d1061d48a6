#include "RunJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonValue>

#include "DurableFile.h"

namespace {
constexpr int kFormat = 1;
const QString kSuffix = QStringLiteral(".run");
const QString kDiscarded = QStringLiteral(".discarded");

QString TimeText(const QDateTime& time) {
    return time.isValid() ? time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs)
                          : QString();
}

// Reads the keys of a journal, remembering the first one that is missing or
// of the wrong kind.
class Reader {
  public:
    explicit Reader(const QJsonObject& json) : m_json(json) {}

    QString Text(const QString& key) { return Get(key, QJsonValue::String).toString(); }
    double Number(const QString& key) { return Get(key, QJsonValue::Double).toDouble(); }
    int Whole(const QString& key) { return static_cast<int>(Number(key)); }
    bool Flag(const QString& key) { return Get(key, QJsonValue::Bool).toBool(); }
    QJsonObject Object(const QString& key) { return Get(key, QJsonValue::Object).toObject(); }
    QString Problem() const { return m_problem; }

  private:
    QJsonValue Get(const QString& key, QJsonValue::Type type) {
        const QJsonValue value = m_json.value(key);
        if (value.type() != type && m_problem.isEmpty()) {
            m_problem = QStringLiteral("\"%1\" is missing or not what it should be").arg(key);
        }
        return value;
    }

    QJsonObject m_json;
    QString m_problem;
};
}  // namespace

QJsonObject JournalRecord::ToJson() const {
    const ResumePlan& p = plan;
    return QJsonObject{
        {"format", kFormat},
        {"serialNumber", serialNumber},
        {"testFile", testFile},
        {"stepsSha256", stepsSha256},
        {"logFile", logFile},
        {"resultsFile", resultsFile},
        {"lastLine", static_cast<double>(lastLine)},
        {"lastPoint", TimeText(lastPoint)},
        {"step", p.step + 1},
        {"stepTimed", p.timed},
        {"stepElapsed", p.stepElapsed},
        {"totalElapsed", p.totalElapsed},
        {"loops", QJsonObject{{"forRow", p.forRow},
                              {"forCount", p.forLoopCount},
                              {"forCell", p.forCell},
                              {"for2Row", p.for2Row},
                              {"for2Count", p.for2LoopCount},
                              {"for2Cell", p.for2Cell}}},
        {"stepAh", p.stepAh},
        {"stepKwh", p.stepKwh},
        {"testAh", p.testAh},
        {"testWh", p.testWh},
        {"inputOn", p.inputOn},
        {"openStep", openStep},
    };
}

std::optional<JournalRecord> JournalRecord::FromJson(const QJsonObject& json, QString* error) {
    Reader r(json);
    if (r.Whole("format") != kFormat && r.Problem().isEmpty()) {
        *error = QStringLiteral("it is of another format");
        return std::nullopt;
    }
    JournalRecord record;
    record.serialNumber = r.Text("serialNumber");
    record.testFile = r.Text("testFile");
    record.stepsSha256 = r.Text("stepsSha256");
    record.logFile = r.Text("logFile");
    record.resultsFile = r.Text("resultsFile");
    record.lastLine = static_cast<qint64>(r.Number("lastLine"));
    record.lastPoint = QDateTime::fromString(r.Text("lastPoint"), Qt::ISODateWithMs);
    ResumePlan& p = record.plan;
    p.logPath = record.logFile;
    p.step = r.Whole("step") - 1;
    p.timed = r.Flag("stepTimed");
    p.stepElapsed = r.Number("stepElapsed");
    p.totalElapsed = r.Number("totalElapsed");
    Reader loops(r.Object("loops"));
    p.forRow = loops.Whole("forRow");
    p.forLoopCount = loops.Whole("forCount");
    p.forCell = loops.Text("forCell");
    p.for2Row = loops.Whole("for2Row");
    p.for2LoopCount = loops.Whole("for2Count");
    p.for2Cell = loops.Text("for2Cell");
    p.stepAh = r.Number("stepAh");
    p.stepKwh = r.Number("stepKwh");
    p.testAh = r.Number("testAh");
    p.testWh = r.Number("testWh");
    p.inputOn = r.Flag("inputOn");
    record.openStep = r.Object("openStep");
    const QString problem = !r.Problem().isEmpty() ? r.Problem() : loops.Problem();
    if (!problem.isEmpty()) {
        *error = problem;
        return std::nullopt;
    }
    if (record.serialNumber.isEmpty() || record.testFile.isEmpty() || p.step < 0 || p.forRow < 0 ||
        p.for2Row < 0) {
        *error = QStringLiteral("its serial number, test file or step is missing");
        return std::nullopt;
    }
    return record;
}

namespace RunJournal {

QString PathFor(const QString& programFolder, const QString& serial) {
    return QDir::toNativeSeparators(
        QDir(programFolder).filePath(QStringLiteral("TestLog/") + serial + kSuffix));
}

QStringList Find(const QString& programFolder) {
    const QDir logs(QDir(programFolder).filePath(QStringLiteral("TestLog")));
    QStringList paths;
    for (const QFileInfo& info :
         logs.entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Time)) {
        paths << QDir::toNativeSeparators(info.absoluteFilePath());
    }
    return paths;
}

bool Write(const QString& path, const JournalRecord& record, QString* error) {
    return DurableFile::WriteJson(path, record.ToJson(), error);
}

std::optional<JournalRecord> Read(const QString& path, QString* error) {
    const auto json = DurableFile::ReadJson(path, error);
    return json ? JournalRecord::FromJson(*json, error) : std::nullopt;
}

QString KeepDiscarded(const QString& path, QString* error) {
    QString target = path + kDiscarded;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = path + kDiscarded + QStringLiteral("-%1").arg(n);
    }
    if (!QFile::rename(path, target)) {
        *error = QStringLiteral("it cannot be renamed to %1").arg(target);
        return QString();
    }
    return target;
}

}  // namespace RunJournal
