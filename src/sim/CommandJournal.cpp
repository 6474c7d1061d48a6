#include "CommandJournal.h"

#include <QDateTime>
#include <QMutexLocker>

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
    const auto put = [](QString* text, int value, int width) {
        const QString digits = QString::number(value);
        for (qsizetype i = digits.size(); i < width; ++i) {
            *text += QLatin1Char('0');
        }
        *text += digits;
    };
    QString line;
    line.reserve(25 + command.size());
    put(&line, date.year(), 4);
    line += QLatin1Char('-');
    put(&line, date.month(), 2);
    line += QLatin1Char('-');
    put(&line, date.day(), 2);
    line += QLatin1Char('T');
    put(&line, time.hour(), 2);
    line += QLatin1Char(':');
    put(&line, time.minute(), 2);
    line += QLatin1Char(':');
    put(&line, time.second(), 2);
    line += QLatin1Char('.');
    put(&line, time.msec(), 3);
    line += QLatin1Char(' ');
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
