#include "CommandJournal.h"

#include <QDateTime>
#include <QMutexLocker>

CommandJournal::CommandJournal(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("Cannot write the journal %1: %2").arg(path, m_file.errorString());
    }
}

QString CommandJournal::FileLine(const QDateTime& stamp, const QString& command) {
    return stamp.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char(' ') + command +
           QLatin1Char('\n');
}

void CommandJournal::Record(const QString& command) {
    QMutexLocker lock(&m_mutex);
    m_entries.append(command);
    if (!m_file.isOpen()) {
        return;
    }
    const QByteArray line = FileLine(QDateTime::currentDateTime(), command).toLatin1();
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        m_error = QStringLiteral("Cannot write the journal %1: %2")
                      .arg(m_file.fileName(), m_file.errorString());
    }
}

QStringList CommandJournal::Entries() const {
    QMutexLocker lock(&m_mutex);
    return m_entries;
}

int CommandJournal::Count(const QString& command) const {
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_entries.count(command));
}

void CommandJournal::Clear() {
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
}

QString CommandJournal::Error() const {
    QMutexLocker lock(&m_mutex);
    return m_error;
}
