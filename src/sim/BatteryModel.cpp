#include "BatteryModel.h"

#include <algorithm>
#include <cmath>

namespace {
// Below this share of the capacity the voltage falls faster, as a real cell's
// does near the end of its discharge.
constexpr double kKneeChargeLeft = 0.1;
// Share of the full-to-empty span still above empty at the knee.
constexpr double kKneeVoltageShare = 0.25;
// A zero resistance would make the CV and CP currents infinite.
constexpr double kMinResistance = 1e-4;
constexpr double kMinCapacityAh = 1e-6;
}  // namespace

BatteryModel::BatteryModel(const SimOptions& options)
    : m_capacityAh(std::max(options.capacityAh, kMinCapacityAh)),
      m_fullVoltage(options.fullVoltage),
      m_emptyVoltage(std::min(options.emptyVoltage, options.fullVoltage)),
      m_resistance(std::max(options.internalResistance, kMinResistance)) {}

double BatteryModel::OpenCircuitVoltage() const {
    const double left = 1.0 - m_chargeDrawnAh / m_capacityAh;
    const double span = m_fullVoltage - m_emptyVoltage;
    const double knee = m_emptyVoltage + kKneeVoltageShare * span;
    double voltage;
    if (left >= kKneeChargeLeft) {
        voltage =
            knee + (m_fullVoltage - knee) * (left - kKneeChargeLeft) / (1.0 - kKneeChargeLeft);
    } else {
        // The steep part carries on past empty, so an over-discharge still ends.
        voltage = m_emptyVoltage + (knee - m_emptyVoltage) * left / kKneeChargeLeft;
    }
    return std::max(0.0, voltage);
}

double BatteryModel::TerminalVoltage(double current) const {
    return std::max(0.0, OpenCircuitVoltage() - current * m_resistance);
}

double BatteryModel::CurrentFor(RegulationMode mode, double setValue) const {
    const double ocv = OpenCircuitVoltage();
    const double shortCircuit = ocv / m_resistance;
    double current = 0.0;
    switch (mode) {
        case RegulationMode::kCc:
        case RegulationMode::kLin:
            current = setValue;
            break;
        case RegulationMode::kCr:
            current = ocv / (std::max(setValue, 0.0) + m_resistance);
            break;
        case RegulationMode::kCv:
            current = (ocv - setValue) / m_resistance;
            break;
        case RegulationMode::kCp:
            current = ConstantPowerCurrent(setValue);
            break;
    }
    if (!std::isfinite(current)) {
        return 0.0;
    }
    return std::clamp(current, 0.0, shortCircuit);
}

double BatteryModel::ConstantPowerCurrent(double watts) const {
    if (watts <= 0.0) {
        return 0.0;
    }
    // P = (OCV - I R) I has two roots; the load settles on the smaller current.
    // Beyond the battery's maximum power it stays at the maximum-power point.
    const double ocv = OpenCircuitVoltage();
    const double discriminant = ocv * ocv - 4.0 * m_resistance * watts;
    if (discriminant < 0.0) {
        return ocv / (2.0 * m_resistance);
    }
    return (ocv - std::sqrt(discriminant)) / (2.0 * m_resistance);
}

void BatteryModel::Draw(double current, double hours) {
    if (current > 0.0 && hours > 0.0) {
        m_chargeDrawnAh += current * hours;
    }
}
