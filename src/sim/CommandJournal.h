#pragma once

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QStringList>

// Every line the load received, in order: kept in memory for tests and, when
// a file is named, written there with a time stamp, one line per command,
// each in one write of its own so that nothing is lost when the process is
// killed. Safe to use from any thread.
class CommandJournal {
  public:
    // Opens (and empties) `path` when it is not empty; see Error(). Without
    // `keepInMemory`, Entries() and Count() see nothing.
    explicit CommandJournal(const QString& path = QString(), bool keepInMemory = true);

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
    bool m_keepInMemory = true;
    QFile m_file;
    QString m_error;
};
