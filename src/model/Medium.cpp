#include "Medium.h"

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
