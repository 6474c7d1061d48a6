#include "RecentFiles.h"

#include <QDir>
#include <QSettings>

namespace {
const QString kRecentKey = QStringLiteral("RecentTestFiles");

QString Normalised(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}
}  // namespace

RecentFiles::RecentFiles(bool remember, QObject* parent) : QObject(parent), m_remember(remember) {
    if (m_remember) {
        m_paths = QSettings().value(kRecentKey).toStringList().mid(0, kMaxFiles);
    }
}

void RecentFiles::Add(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const QString normal = Normalised(path);
    m_paths.removeAll(normal);
    m_paths.prepend(normal);
    m_paths = m_paths.mid(0, kMaxFiles);
    Store();
}

void RecentFiles::Remove(const QString& path) {
    if (m_paths.removeAll(Normalised(path)) > 0) {
        Store();
    }
}

void RecentFiles::Store() {
    if (m_remember) {
        QSettings().setValue(kRecentKey, m_paths);
    }
    emit changed();
}
