#pragma once

#include <optional>

#include "ReadingGuard.h"
#include "SafetyLimits.h"

// The test's safety limits against every reading of a run. A reading beyond
// a limit (strictly beyond: a value on the limit is within it) gives the
// operator's message "Safety limit: <quantity> <value> <unit> beyond <limit>
// <unit> at step N." and the action the test asks for.
class LimitWatch {
  public:
    void SetLimits(const SafetyLimits& limits) { m_limits = limits; }
    const SafetyLimits& Limits() const { return m_limits; }

    // The first limit the reading crosses, in the order: each phase's
    // voltage against MinVoltage and MaxVoltage, the current, the power, the
    // test time.
    std::optional<LimitTrip> Check(const Reading& reading) const;

  private:
    SafetyLimits m_limits;
};
