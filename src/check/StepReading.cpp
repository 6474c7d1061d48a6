#include "StepReading.h"

#include "ActionCatalogue.h"
#include "NumberText.h"
#include "TestFile.h"

StepReading::StepReading(const StepTable& table, int gridRow)
    : m_cells(table.StepCells(gridRow)), m_step(gridRow) {}

QString StepReading::ReaderText(StepField field) const {
    QString text = Text(field);
    if (ReadsDecimalComma(field)) {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    return text;
}

double StepReading::Value(StepField field) const {
    return NumericValue(ReaderText(field));
}

bool StepReading::HoldsNumber(StepField field) const {
    const QString text = ReaderText(field);
    return text.trimmed().isEmpty() || StrictNumber(text, nullptr);
}

bool StepReading::HoldsCommaNumber(StepField field) const {
    return !HoldsNumber(field) &&
           StrictNumber(QString(Text(field)).replace(QLatin1Char(','), QLatin1Char('.')), nullptr);
}

Quantity StepReading::QuantityOfMode(const QString& mode) {
    if (mode == LoadMode::kCC || mode == LoadMode::kLinCC) {
        return Quantity::Current;
    }
    if (mode == LoadMode::kCP) {
        return Quantity::Power;
    }
    if (mode == LoadMode::kCV) {
        return Quantity::Voltage;
    }
    if (mode == LoadMode::kCR) {
        return Quantity::Resistance;
    }
    return Quantity::Plain;
}

QString StepReading::ColumnName(StepField field) {
    return StepTable::HeaderText(ColumnOf(field));
}

bool StepReading::RunsOnStepTimer() const {
    const QString action = Action();
    if (action == Action::kLoadLevel) {
        return Value(StepField::StopTime) != 0;
    }
    return action == Action::kDisCharge || action == Action::kOverDisCharge ||
           action == Action::kCharge || action == Action::kCpCharge || action == Action::kDcirLow ||
           action == Action::kDcirHigh || action == Action::kAcir || action == Action::kSuspend;
}

QVector<NumberCell> StepReading::NumberCells() const {
    using F = StepField;
    using Q = Quantity;
    const QString action = Action();
    const Q setValue = QuantityOfMode(Mode());
    // What each column means per action, as the action catalogue lays it out.
    if (action == Action::kDisCharge || action == Action::kOverDisCharge ||
        action == Action::kDcirLow || action == Action::kDcirHigh || action == Action::kAcir) {
        return {{F::CurrentValue, setValue}, {F::StopTime, Q::Plain}, {F::StopValue, Q::Plain},
                {F::StableTime, Q::Plain},   {F::StopAH, Q::Plain},   {F::MeasTime, Q::Plain}};
    }
    if (action == Action::kCharge) {
        return {{F::LoadModeVolt, Q::Voltage}, {F::CurrentValue, Q::Current},
                {F::StopTime, Q::Plain},       {F::StopValue, Q::Current},
                {F::StableTime, Q::Plain},     {F::StopAH, Q::Plain},
                {F::MeasTime, Q::Plain}};
    }
    if (action == Action::kCpCharge) {
        return {{F::LoadModeVolt, Q::Power}, {F::CurrentValue, Q::Voltage}, {F::StopTime, Q::Plain},
                {F::StopValue, Q::Current},  {F::StableTime, Q::Plain},     {F::StopAH, Q::Plain},
                {F::MeasTime, Q::Plain}};
    }
    if (action == Action::kSuspend) {
        return {{F::StopTime, Q::Plain}, {F::StopValue, Q::Plain}, {F::MeasTime, Q::Plain}};
    }
    if (action == Action::kPlusLoad) {
        return {{F::LoadModeVolt, Q::Current}, {F::CurrentValue, Q::Current},
                {F::StopTime, Q::Plain},       {F::StopValue, Q::Plain},
                {F::StableTime, Q::Plain},     {F::StopAH, Q::Plain},
                {F::MeasTime, Q::Plain}};
    }
    if (action == Action::kRampOn || action == Action::kRampOff) {
        return {{F::CurrentValue, setValue}, {F::StopTime, Q::Plain}, {F::MeasTime, Q::Plain}};
    }
    if (action == Action::kLoadLevel) {
        QVector<NumberCell> cells{{F::CurrentValue, setValue},
                                  {F::StopTime, Q::Plain},
                                  {F::MeasTime, Q::Plain},
                                  {F::Frequency, Q::Plain}};
        // Crest and power factor are kept in constant-current mode only.
        if (Mode() == LoadMode::kCC) {
            cells << NumberCell{F::CF, Q::Plain} << NumberCell{F::PF, Q::Plain};
        }
        return cells;
    }
    if (Action::OpensLoop(action)) {
        return {{F::StopValue, Q::Plain}};
    }
    return {};
}
