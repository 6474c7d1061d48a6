#pragma once

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QStringList>

// Every line the load received, in order: kept in memory for tests and, when
// a file is named, written there with a time stamp, one line per command,
// flushed at once so that nothing is lost when the process is killed.
// Safe to use from any thread.
class CommandJournal {
  public:
    // Opens (and empties) `path` when it is not empty; see Error().
    explicit CommandJournal(const QString& path = QString());

    void Record(const QString& command);
    QStringList Entries() const;
    int Count(const QString& command) const;
    // Forgets the commands kept in memory; the file keeps them.
    void Clear();

    // Why the file could not be opened or written, or "".
    QString Error() const;

    // The file line for `command` received at `stamp`.
    static QString FileLine(const QDateTime& stamp, const QString& command);

  private:
    mutable QMutex m_mutex;
    QStringList m_entries;
    QFile m_file;
    QString m_error;
};
