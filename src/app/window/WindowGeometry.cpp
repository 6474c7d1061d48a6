#include "WindowGeometry.h"

#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <algorithm>

namespace {
const QString kGeometryKey = QStringLiteral("MainWindow/geometry");
const QString kStateKey = QStringLiteral("MainWindow/state");
}  // namespace

void RestoreWindowGeometry(QMainWindow& window) {
    const QSettings settings;
    window.restoreGeometry(settings.value(kGeometryKey).toByteArray());
    window.restoreState(settings.value(kStateKey).toByteArray());
    if (window.isMaximized() || window.isFullScreen()) {
        return;
    }
    // Qt brings back a size remembered on a larger screen unchanged; on this
    // one the status line and the lower buttons would be out of reach.
    const QRect available = window.screen()->availableGeometry();
    QRect fitted(window.pos(), window.size().boundedTo(available.size()));
    fitted.moveLeft(
        std::clamp(fitted.left(), available.left(), available.right() + 1 - fitted.width()));
    fitted.moveTop(
        std::clamp(fitted.top(), available.top(), available.bottom() + 1 - fitted.height()));
    if (fitted != QRect(window.pos(), window.size())) {
        window.move(fitted.topLeft());
        window.resize(fitted.size());
    }
}

void StoreWindowGeometry(const QMainWindow& window) {
    QSettings settings;
    settings.setValue(kGeometryKey, window.saveGeometry());
    settings.setValue(kStateKey, window.saveState());
}
