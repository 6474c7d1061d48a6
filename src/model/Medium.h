#pragma once

#include <QString>
#include <optional>

class IniFile;

// How a channel reaches its load.
enum class Medium { Serial, Gpib, Lan };

// The settings file keeps channel 1's medium as the number "ConnectMode" in
// section "TRIO": 0 serial, 1 GPIB, 2 LAN; other numbers name no medium.
// These functions are the only places that number is known.
std::optional<Medium> MediumOfConnectMode(int connectMode);
int ConnectModeOf(Medium medium);

// The medium the settings file names; LAN when it names none.
Medium StoredMedium(const IniFile& settingsFile);
// Writes `medium` into the settings file at `settingsPath`; false with the
// reason in `error` when the file cannot be written.
bool StoreMedium(const QString& settingsPath, Medium medium, QString* error = nullptr);
