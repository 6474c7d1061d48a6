#pragma once

#include "RegulationMode.h"
#include "SimulatedLoad.h"

// The battery behind the simulated load: an open-circuit voltage that falls
// with the charge drawn, behind a fixed internal resistance. Pure arithmetic,
// no clock: the caller says how long a current flowed.
class BatteryModel {
  public:
    explicit BatteryModel(const SimOptions& options);

    // Open-circuit voltage for the charge drawn so far; never below 0.
    double OpenCircuitVoltage() const;
    // Voltage at the terminals while `current` flows; never below 0.
    double TerminalVoltage(double current) const;
    // Current the load draws in `mode` at set value `setValue` (A, ohm, V or
    // W), limited to what the battery can deliver into a short circuit.
    double CurrentFor(RegulationMode mode, double setValue) const;

    // Takes `current` amperes out of the battery for `hours`.
    void Draw(double current, double hours);
    double ChargeDrawnAh() const { return m_chargeDrawnAh; }
    double CapacityAh() const { return m_capacityAh; }

  private:
    double ConstantPowerCurrent(double watts) const;

    double m_capacityAh;
    double m_fullVoltage;
    double m_emptyVoltage;
    double m_resistance;
    double m_chargeDrawnAh = 0.0;
};
