#pragma once

#include <optional>

// How a channel reaches its load.
enum class Medium { Serial, Gpib, Lan };

// The settings file keeps the medium as the number "ConnectMode": 0 serial,
// 1 GPIB, 2 LAN. These two are the only places that number is known.
std::optional<Medium> MediumOfConnectMode(int connectMode);
int ConnectModeOf(Medium medium);
