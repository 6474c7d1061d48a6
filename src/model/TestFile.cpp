#include "TestFile.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "ActionCatalogue.h"
#include "IniFile.h"
#include "NumberText.h"
#include "Operator.h"

namespace {
const QString kOptionSection = QStringLiteral("TestStep Option");
const QString kTotalStepCountKey = QStringLiteral("TotalStepCount");

const QString kOpenLoopError = QStringLiteral(
    "Open Error, For - Loop use method have error, Please check it. (System auto addition LOOP "
    "function at last)");
const QString kSaveLoopError =
    QStringLiteral("Save has Error, For - Loop use method have error, Please check it");

struct StepKey {
    StepField field;
    const char* fallback;
    bool commaToPoint;
};
// Keys of a step section in the order they are read and written.
constexpr StepKey kStepKeys[kStepFieldCount] = {{StepField::ActionMode, "0", false},
                                                {StepField::LoadModeVolt, "0", true},
                                                {StepField::CurrentValue, "0", true},
                                                {StepField::StopTime, "0", false},
                                                {StepField::StopValue, "0", false},
                                                {StepField::StableTime, "0", false},
                                                {StepField::StopAH, "0", true},
                                                {StepField::MeasTime, "1", true},
                                                {StepField::GoToStep, "NextStep", false},
                                                {StepField::Frequency, "60", true},
                                                {StepField::CF, "1.4", true},
                                                {StepField::PF, "1", true}};

bool IsLoadLevelOnly(StepField field) {
    return field == StepField::Frequency || field == StepField::CF || field == StepField::PF;
}

QString StepSection(int step) {
    return QStringLiteral("Step%1").arg(step);
}

// The measurement options of "TestStep Option", in the order they are
// written; their defaults are those of TestOptions. Options the window shows
// no box for are read and kept, never written back.
struct OptionKey {
    const char* name;
    int TestOptions::*flag;
    bool written;
};
const OptionKey kOptionKeys[] = {
    {"MeasureVoltage", &TestOptions::measureVoltage, true},
    {"MeasureCurrent", &TestOptions::measureCurrent, true},
    {"MeasurePower", &TestOptions::measurePower, true},
    {"MeasureResistant", &TestOptions::measureResistant, true},
    {"MeasureKWH", &TestOptions::measureKwh, true},
    {"MeasureCapability", &TestOptions::measureCapability, true},
    {"MeasureAddKWH", &TestOptions::measureAddKwh, false},
    {"MeasureAddCapability", &TestOptions::measureAddCapability, false},
    {"MeasureTemperature", &TestOptions::measureTemperature, false},
    {"MeasureDCV", &TestOptions::measureDcv, false},
    {"MeasureRefVoltage", &TestOptions::measureRefVoltage, false},
    {"MeasureACIRDCIR", &TestOptions::measureAcirDcir, false},
};
// The step timer's period, written after the flags.
const char* const kMeasureTimeKey = "MeasureTime";

TestOptions ReadOptions(const IniFile& ini) {
    const TestOptions defaults;
    TestOptions o;
    for (const OptionKey& key : kOptionKeys) {
        // A flag is a whole number, or its default when the text holds none.
        const int fallback = defaults.*key.flag;
        const auto value =
            LeadingNumber(ini.Value(kOptionSection, key.name, QString::number(fallback)));
        o.*key.flag = value ? RoundedInteger(*value) : fallback;
    }
    const auto measureTime =
        LeadingNumber(ini.Value(kOptionSection, kMeasureTimeKey, NumberText(defaults.measureTime)));
    o.measureTime = KeepFourDecimals(measureTime.value_or(defaults.measureTime));
    return o;
}

void WriteOptions(IniFile& ini, const TestOptions& o) {
    for (const OptionKey& key : kOptionKeys) {
        if (key.written) {
            ini.SetValue(kOptionSection, key.name, QString::number(o.*key.flag));
        }
    }
    ini.SetValue(kOptionSection, kMeasureTimeKey, NumberText(o.measureTime));
}

// A test file has its options section or at least one step section; anything
// else (the settings file, a log, random bytes) only looks like an INI file.
bool IsTestFile(const IniFile& ini) {
    static const QRegularExpression stepSection(QStringLiteral("^step[0-9]+$"));
    const QStringList sections = ini.SectionNames();
    return std::any_of(sections.cbegin(), sections.cend(), [](const QString& name) {
        return name == kOptionSection.toLower() || stepSection.match(name).hasMatch();
    });
}

StepTable::Cells CellsOf(const StepRecord& record, bool withLoadLevelFields) {
    StepTable::Cells cells;
    for (int f = 0; f < kStepFieldCount; ++f) {
        if (withLoadLevelFields || !IsLoadLevelOnly(static_cast<StepField>(f))) {
            cells[static_cast<size_t>(f)] = record.fields[static_cast<size_t>(f)];
        }
    }
    return cells;
}
}  // namespace

bool ReadsDecimalComma(StepField field) {
    for (const StepKey& key : kStepKeys) {
        if (key.field == field) {
            return key.commaToPoint;
        }
    }
    return false;
}

bool TestOptions::operator==(const TestOptions& other) const {
    return measureVoltage == other.measureVoltage && measureCurrent == other.measureCurrent &&
           measurePower == other.measurePower && measureResistant == other.measureResistant &&
           measureKwh == other.measureKwh && measureCapability == other.measureCapability &&
           measureAddKwh == other.measureAddKwh &&
           measureAddCapability == other.measureAddCapability &&
           measureTemperature == other.measureTemperature && measureDcv == other.measureDcv &&
           measureRefVoltage == other.measureRefVoltage &&
           measureAcirDcir == other.measureAcirDcir && measureTime == other.measureTime;
}

TestDocument::TestDocument(QObject* parent) : QObject(parent) {
    connect(&m_changes, &ChangeTracker::modifiedChanged, this, &TestDocument::modifiedChanged);
}

void TestDocument::SetOptions(const TestOptions& options) {
    if (options == m_options) {
        return;
    }
    m_options = options;
    m_changes.SetOptions(options);
    emit optionsChanged();
}

void TestDocument::NewTest() {
    m_changes.Hold();
    SetOptions(TestOptions());
    m_limits = SafetyLimits();
    m_records = StepRecordArray();
    m_table.LayOut();
    m_totalStepCount = 0;
    SetPath(QString());
    m_changes.MarkClean(m_table.AllSteps(), m_options);
    m_changes.Release();
    emit loaded();
}

void TestDocument::HoldModified(bool hold) {
    if (hold == m_modifiedHeld) {
        return;
    }
    m_modifiedHeld = hold;
    if (hold) {
        m_changes.Hold();
    } else {
        m_changes.Release();
    }
}

void TestDocument::SetPath(const QString& path) {
    if (path == m_path) {
        return;
    }
    m_path = path;
    emit pathChanged(path);
}

bool TestDocument::ReadTestFile(const QString& path, IniFile* ini, Operator& op) const {
    QString reason;
    IniFile::ReadProblem problem = IniFile::ReadProblem::None;
    if (IniFile::LoadForUpdate(path, ini, &reason, &problem)) {
        return true;
    }
    op.ShowMessage(ReadProblemMessage(path, QStringLiteral("test file"), problem, reason));
    return false;
}

bool TestDocument::LoadTestFile(Operator& op) {
    IniFile ini;
    if (!ReadTestFile(m_path, &ini, op)) {
        return false;
    }
    TakeLoaded(ini, op);
    return true;
}

bool TestDocument::OpenTestFile(const QString& path, Operator& op) {
    if (!QFileInfo::exists(path)) {
        op.ShowMessage(QStringLiteral("%1: no such file.").arg(path));
        return false;
    }
    IniFile ini;
    if (!ReadTestFile(path, &ini, op)) {
        return false;
    }
    if (!IsTestFile(ini)) {
        op.ShowMessage(QStringLiteral("%1 is not a test file.").arg(path));
        return false;
    }
    SetPath(path);
    TakeLoaded(ini, op);
    return true;
}

void TestDocument::TakeLoaded(const IniFile& ini, Operator& op) {
    // The table passes through states that are neither the old file nor the
    // new one; only the end result counts.
    m_changes.Hold();
    SetOptions(ReadOptions(ini));
    m_limits = ReadSafetyLimits(ini);

    const auto declared = LeadingNumber(ini.Value(kOptionSection, kTotalStepCountKey, "0"));
    const int declaredCount = declared ? RoundedInteger(*declared) : 0;
    const int count = qBound(0, declaredCount, StepTable::kMaxSteps);

    QVector<StepTable::Cells> rows;
    rows.reserve(count + 2);
    LoopBalance loops;
    for (int i = 1; i <= count; ++i) {
        const QString section = StepSection(i);
        StepRecord record = m_records.Record(i - 1);
        const QString action = ini.Value(section, StepFieldKeys()[0], kStepKeys[0].fallback);
        const bool loadLevel = action == Action::kLoadLevel;
        for (const StepKey& key : kStepKeys) {
            if (IsLoadLevelOnly(key.field) && !loadLevel) {
                continue;  // these fields mean nothing outside load-level steps
            }
            QString value = ini.Value(section, StepFieldKeys()[static_cast<int>(key.field)],
                                      QString::fromLatin1(key.fallback));
            if (key.commaToPoint) {
                value.replace(QLatin1Char(','), QLatin1Char('.'));
            }
            record[key.field] = value;
        }
        loops.Count(action);
        m_records.SetRecord(i - 1, record);
        rows.push_back(CellsOf(record, loadLevel));
    }

    // Close loops the file left open, inner level first, as far as the table
    // has room: the table and the records never hold more than kMaxSteps.
    const auto appendStep = [&](const QString& action) {
        if (rows.size() >= StepTable::kMaxSteps) {
            return;
        }
        StepRecord record;
        record[StepField::ActionMode] = action;
        m_records.SetRecord(rows.size(), record);
        rows.push_back(CellsOf(record, false));
    };
    const QVector<StepTable::Cells> fileSteps = rows;
    for (int k = 0; k < loops.level2; ++k) {
        appendStep(Action::kLoop2);
    }
    for (int k = 0; k < loops.level1; ++k) {
        appendStep(Action::kLoop);
    }

    m_table.ReplaceAll(rows);
    m_totalStepCount = rows.size();
    // Closed loops and a cut table differ from the file until it is saved.
    m_changes.MarkClean(fileSteps, m_options, declaredCount > StepTable::kMaxSteps);
    m_changes.Release();
    emit loaded();

    if (declaredCount > StepTable::kMaxSteps) {
        op.ShowMessage(QStringLiteral("Test file holds %1 steps; only the first %2 were loaded.")
                           .arg(declaredCount)
                           .arg(StepTable::kMaxSteps));
    }
    if (!loops.Balanced()) {
        op.ShowMessage(kOpenLoopError);
    }
}

bool TestDocument::SaveTestFileAs(const QString& path, Operator& op, QString* error) {
    IniFile ini;
    QString reason;
    // A file we cannot read is not replaced: its connection section and the
    // keys we never write would be lost.
    if (!IniFile::LoadForUpdate(path, &ini, &reason)) {
        return ReportSaveFailure(op, path, reason, error);
    }
    WriteOptions(ini, m_options);
    if (m_limits.HasLimit() || !m_limits.unreadable.isEmpty() ||
        ini.SectionNames().contains(kSafetyLimitsSection.toLower())) {
        WriteSafetyLimits(ini, m_limits);
    }
    const int stepCount = m_table.StepCount();
    ini.SetValue(kOptionSection, kTotalStepCountKey, QString::number(stepCount));

    // The records follow only once the file holds them: a run must never
    // read steps that are not in the file it reloads at Stop.
    QVector<StepRecord> records;
    records.reserve(stepCount);
    QVector<StepTable::Cells> savedSteps;
    savedSteps.reserve(stepCount);
    LoopBalance loops;
    for (int i = 1; i <= stepCount; ++i) {
        const QString section = StepSection(i);
        StepRecord record;
        for (int column = StepColumn::ActionMode; column <= StepColumn::Frequency; ++column) {
            record[FieldOfColumn(column)] = m_table.Cell(i, column);
        }
        // Crest and power factor mean something only in constant-current mode.
        if (record[StepField::LoadModeVolt] == LoadMode::kCC) {
            record[StepField::CF] = m_table.Cell(i, StepColumn::CF);
            record[StepField::PF] = m_table.Cell(i, StepColumn::PF);
        }
        for (int f = 0; f < kStepFieldCount; ++f) {
            ini.SetValue(section, StepFieldKeys()[f], record.fields[static_cast<size_t>(f)]);
        }
        loops.Count(record[StepField::ActionMode]);
        records.push_back(record);
        savedSteps.push_back(m_table.StepCells(i));
    }

    if (!ini.Save(path, &reason)) {
        return ReportSaveFailure(op, path, reason, error);
    }
    for (int i = 0; i < records.size(); ++i) {
        m_records.SetRecord(i, records[i]);
    }
    m_totalStepCount = stepCount;
    SetPath(path);
    m_changes.MarkClean(savedSteps, m_options);
    if (!loops.Balanced()) {
        op.ShowMessage(kSaveLoopError);
    }
    return true;
}

bool TestDocument::SaveSafetyLimits(const SafetyLimits& limits, Operator& op) {
    IniFile ini;
    QString reason;
    if (!IniFile::LoadForUpdate(m_path, &ini, &reason)) {
        return ReportSaveFailure(op, m_path, reason, nullptr);
    }
    WriteSafetyLimits(ini, limits);
    if (!ini.Save(m_path, &reason)) {
        return ReportSaveFailure(op, m_path, reason, nullptr);
    }
    m_limits = limits;
    return true;
}

QString TestDocument::StepsSha256() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::number(m_totalStepCount));
    for (int i = 0; i < m_totalStepCount; ++i) {
        const StepRecord& record = m_records.Record(i);
        const bool loadLevel = record[StepField::ActionMode] == Action::kLoadLevel;
        for (int f = 0; f < kStepFieldCount; ++f) {
            const auto field = static_cast<StepField>(f);
            // Separators that no cell holds keep "1","23" apart from "12","3".
            hash.addData(QByteArrayLiteral("\x1f"));
            if (loadLevel || !IsLoadLevelOnly(field)) {
                hash.addData(record[field].toUtf8());
            }
        }
        hash.addData(QByteArrayLiteral("\x1e"));
    }
    return QString::fromLatin1(hash.result().toHex());
}

bool TestDocument::ReportSaveFailure(Operator& op, const QString& path, const QString& reason,
                                     QString* error) const {
    op.ShowMessage(QStringLiteral("Cannot save the test file %1: %2").arg(path, reason));
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}
