#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The load's command vocabulary: every command and query text the program
// sends, in one place. A command with an argument is its header (ending in one
// blank) followed by the argument as number text: "CC:A " + 2.5 -> "CC:A 2.5".
namespace Cmd {
// Set values, each followed by a number.
inline const QString kCcA = QStringLiteral("CC:A ");
inline const QString kCcB = QStringLiteral("CC:B ");
inline const QString kCrA = QStringLiteral("CR:A ");
inline const QString kCrB = QStringLiteral("CR:B ");
inline const QString kCvA = QStringLiteral("CV:A ");
inline const QString kCvB = QStringLiteral("CV:B ");
inline const QString kCpA = QStringLiteral("CP:A ");
inline const QString kCpB = QStringLiteral("CP:B ");
inline const QString kLinA = QStringLiteral("LIN:A ");
inline const QString kLinB = QStringLiteral("LIN:B ");
inline const QString kCcpHigh = QStringLiteral("CCP:HIGH ");
inline const QString kPeriodHigh = QStringLiteral("PERD:HIGH ");
inline const QString kPeriodLow = QStringLiteral("PERD:LOW ");
inline const QString kCount = QStringLiteral("COUNT ");
inline const QString kFrequency = QStringLiteral("FREQ ");
inline const QString kCrestFactor = QStringLiteral("CF ");
inline const QString kPowerFactor = QStringLiteral("PF ");
inline const QString kLoadOnVoltage = QStringLiteral("LDON ");

// Commands without argument.
inline const QString kModeCC = QStringLiteral("MODE CC");
inline const QString kModeCR = QStringLiteral("MODE CR");
inline const QString kModeCV = QStringLiteral("MODE CV");
inline const QString kModeCP = QStringLiteral("MODE CP");
inline const QString kModeLin = QStringLiteral("MODE LIN");
inline const QString kCcAuto = QStringLiteral("CC AUTO");
inline const QString kLoadOn = QStringLiteral("LOAD ON");
inline const QString kLoadOff = QStringLiteral("LOAD OFF");
inline const QString kDynamicOn = QStringLiteral("DYNC ON");
inline const QString kRemoteGpib = QStringLiteral("REMOTE");
inline const QString kRemoteSerial = QStringLiteral("REM");

// Queries.
inline const QString kProbeVoltage = QStringLiteral("MEAS:VOLT?");
inline const QString kPhaseVoltages = QStringLiteral("GLOB:MEAS:VOLT?");
inline const QString kPhaseCurrents = QStringLiteral("GLOB:MEAS:CURR?");
inline const QString kPhasePowers = QStringLiteral("GLOB:MEAS:POW?");

// What puts the load into a load mode: the header of its level A set value
// and its mode command. A resistance shared by n loads in parallel is n times
// the value; the other quantities are divided by n.
struct ModeCommands {
    QString levelHeader;
    QString modeCommand;
    bool scalesWithLoads;
};
// For "CC", "CR", "CV", "CP", and "LINCC" when `allowLinear`; nothing for
// any other text.
std::optional<ModeCommands> ForMode(const QString& mode, bool allowLinear);

// Header followed by the number text of `value`.
QString WithValue(const QString& header, double value);

// Splits a per-phase reply at every ","; fields stay as received. An empty
// reply has no field.
QStringList SplitPhases(const QString& reply);
}  // namespace Cmd
