#include "CommandJournal.h"

#include <QDateTime>
#include <QMutexLocker>

#include "NumberText.h"

CommandJournal::CommandJournal(const QString& path, bool keepInMemory)
    : m_keepInMemory(keepInMemory) {
    if (path.isEmpty()) {
        return;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        m_error = QStringLiteral("Cannot write the journal %1: %2").arg(path, m_file.errorString());
    }
}

QString CommandJournal::FileLine(const QDateTime& stamp, const QString& command) {
    // "yyyy-MM-ddTHH:mm:ss.zzz", put together by hand: a format parsed for
    // every command cost the load a good part of its answer time.
    const QDate date = stamp.date();
    const QTime time = stamp.time();
    struct Field {
        int value;
        int width;
        char after;
    };
    const Field fields[] = {{date.year(), 4, '-'}, {date.month(), 2, '-'},  {date.day(), 2, 'T'},
                            {time.hour(), 2, ':'}, {time.minute(), 2, ':'}, {time.second(), 2, '.'},
                            {time.msec(), 3, ' '}};
    QString line;
    line.reserve(25 + command.size());
    for (const Field& field : fields) {
        AppendZeroPadded(&line, field.value, field.width);
        line += QLatin1Char(field.after);
    }
    line += command;
    line += QLatin1Char('\n');
    return line;
}

void CommandJournal::Record(const QString& command) {
    QMutexLocker lock(&m_mutex);
    if (m_keepInMemory) {
        m_entries.append(command);
    }
    if (!m_file.isOpen()) {
        return;
    }
    const QByteArray line = FileLine(QDateTime::currentDateTime(), command).toLatin1();
    if (m_file.write(line) != line.size()) {
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
