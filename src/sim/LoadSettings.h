#pragma once

#include <array>
#include <cstddef>

#include "RegulationMode.h"

// What the load has been told: set values per mode and level, the pulse
// train, the load-level waveform and the switches.
struct LoadSettings {
    static constexpr std::size_t kModeCount = 5;

    RegulationMode mode = RegulationMode::kCc;
    bool inputOn = false;
    std::array<double, kModeCount> levelA{};  // indexed by RegulationMode
    std::array<double, kModeCount> levelB{};

    double pulseHighCurrent = 0.0;  // the low current is the CC B level
    double pulseHighMs = 0.0;
    double pulseLowMs = 0.0;
    double pulseCount = 1.0;

    double frequency = 0.0;
    double crestFactor = 0.0;
    double powerFactor = 0.0;
    double loadOnVoltage = 0.0;  // the input draws nothing below this voltage
    bool autoRange = false;
    bool remote = false;

    double& LevelA(RegulationMode m) { return levelA[static_cast<std::size_t>(m)]; }
    double& LevelB(RegulationMode m) { return levelB[static_cast<std::size_t>(m)]; }
    double LevelA(RegulationMode m) const { return levelA[static_cast<std::size_t>(m)]; }
    double LevelB(RegulationMode m) const { return levelB[static_cast<std::size_t>(m)]; }
};
