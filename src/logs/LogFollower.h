#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include "DataLogReader.h"
#include "LogStepSummary.h"

class QFile;

// Reads a data log and keeps reading it while it grows, as a running test
// writes it. A large log is read a slice at a time so the event loop keeps
// going; a log replaced under the same name (a new run of the same serial
// number) is read again from its start.
class LogFollower : public QObject {
    Q_OBJECT

  public:
    static constexpr int kPollIntervalMs = 1000;

    explicit LogFollower(QObject* parent = nullptr);

    // Checks that `path` is a data log and starts reading it. Returns false
    // with a message for a person when it cannot be read or is no data log.
    bool Open(const QString& path, QString* error);

    QString Path() const { return m_path; }
    const LogStepSummary& Summary() const { return m_summary; }
    qint64 SkippedLines() const { return m_reader.SkippedLines(); }
    // True while the end of the file has not been reached yet.
    bool Reading() const { return m_offset < m_size; }

  signals:
    // New points, in run order; the summary already counts them.
    void pointsRead(const QVector<LoggedPoint>& points);
    // The file now holds another log; what was read before is void.
    void restarted();
    // The file cannot be read any more or no longer is a data log.
    void failed(const QString& message);

  private:
    void Poll();
    bool Replaced(QFile& file) const;
    void Restart();
    QString Problem(const QString& reason) const;

    QString m_path;
    DataLogReader m_reader;
    LogStepSummary m_summary;
    QTimer m_poll;
    QByteArray m_head;  // the file's first bytes: they tell one log from another
    qint64 m_offset = 0;
    qint64 m_size = 0;
    bool m_failed = false;
};
