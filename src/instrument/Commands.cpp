#include "Commands.h"

#include "ActionCatalogue.h"
#include "NumberText.h"

namespace Cmd {
std::optional<ModeCommands> ForMode(const QString& mode, bool allowLinear) {
    if (mode == LoadMode::kCC) {
        return ModeCommands{kCcA, kModeCC, false};
    }
    if (mode == LoadMode::kCR) {
        return ModeCommands{kCrA, kModeCR, true};
    }
    if (mode == LoadMode::kCV) {
        return ModeCommands{kCvA, kModeCV, false};
    }
    if (mode == LoadMode::kCP) {
        return ModeCommands{kCpA, kModeCP, false};
    }
    if (allowLinear && mode == LoadMode::kLinCC) {
        return ModeCommands{kLinA, kModeLin, false};
    }
    return std::nullopt;
}

QString WithValue(const QString& header, double value) {
    return header + NumberText(value);
}

QStringList SplitPhases(const QString& reply) {
    if (reply.isEmpty()) {
        return {};
    }
    return reply.split(QLatin1Char(','));
}
}  // namespace Cmd
