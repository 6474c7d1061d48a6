#include "Medium.h"

#include "IniFile.h"
#include "NumberText.h"

namespace {
const QString kSection = QStringLiteral("TRIO");
const QString kKey = QStringLiteral("ConnectMode");
const QString kDefault = QStringLiteral("2");
}  // namespace

std::optional<Medium> MediumOfConnectMode(int connectMode) {
    switch (connectMode) {
        case 0:
            return Medium::Serial;
        case 1:
            return Medium::Gpib;
        case 2:
            return Medium::Lan;
        default:
            return std::nullopt;
    }
}

int ConnectModeOf(Medium medium) {
    switch (medium) {
        case Medium::Serial:
            return 0;
        case Medium::Gpib:
            return 1;
        case Medium::Lan:
            break;
    }
    return 2;
}

Medium StoredMedium(const IniFile& settingsFile) {
    const int connectMode =
        RoundedInteger(NumericValue(settingsFile.Value(kSection, kKey, kDefault)));
    return MediumOfConnectMode(connectMode).value_or(Medium::Lan);
}

bool StoreMedium(const QString& settingsPath, Medium medium, QString* error) {
    return WriteSetting(settingsPath, kSection, kKey, QString::number(ConnectModeOf(medium)),
                        error);
}
