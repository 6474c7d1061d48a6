#include "ActionCatalogue.h"

namespace Action {
const QStringList& All() {
    static const QStringList names{
        kDisCharge, kOverDisCharge, kCharge,  kCpCharge,  kDcirLow, kDcirHigh, kAcir, kSuspend,
        kPlusLoad,  kRampOn,        kRampOff, kLoadLevel, kFor,     kFor2,     kLoop, kLoop2};
    return names;
}

bool IsKnown(const QString& name) {
    return All().contains(name);
}

bool IsLoopControl(const QString& name) {
    return LoopLevel(name) != 0;
}

bool OpensLoop(const QString& name) {
    return name == kFor || name == kFor2;
}

int LoopLevel(const QString& name) {
    if (name == kFor || name == kLoop) {
        return 1;
    }
    if (name == kFor2 || name == kLoop2) {
        return 2;
    }
    return 0;
}

bool IsDischarge(const QString& name) {
    return name == kDisCharge || name == kOverDisCharge || name == kDcirLow || name == kDcirHigh;
}
}  // namespace Action

namespace LoadMode {
const QStringList& Basic() {
    static const QStringList modes{kCC, kCR, kCV, kCP};
    return modes;
}

const QStringList& LoadLevel() {
    static const QStringList modes{kCC, kLinCC, kCR, kCV, kCP};
    return modes;
}

QString Unit(const QString& mode, bool loadLevel) {
    if (mode == kCC || mode == kLinCC) {
        return QStringLiteral("A");
    }
    if (mode == kCR) {
        return QStringLiteral("Ohm");
    }
    if (mode == kCV) {
        return loadLevel ? QStringLiteral("Vrms") : QStringLiteral("V");
    }
    if (mode == kCP) {
        return QStringLiteral("W");
    }
    return QString();
}
}  // namespace LoadMode

namespace GoTo {
const QStringList& Named() {
    static const QStringList targets{kNextStep, kEndLoop, kEndLoop2, kContinue};
    return targets;
}
}  // namespace GoTo

void LoopBalance::Count(const QString& action) {
    const int level = Action::LoopLevel(action);
    if (level == 0) {
        return;
    }
    int& counter = level == 1 ? level1 : level2;
    counter += Action::OpensLoop(action) ? 1 : -1;
}
