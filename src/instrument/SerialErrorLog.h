#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

// The serial line's error log, "SerialError.log" in the program folder: one
// line per trapped error with date and time, error number and description,
// comma separated. Each line is on disk before Append returns.
//
// A port that vanished fails every write and every attempt to reopen it, many
// times a second for as long as a run lasts. So an error is written the first
// time it comes; its repeats are only counted, and the count is written at
// most once a minute ("repeated N times since hh:mm:ss: ..."). The file stays
// under 1 MB: a full one is renamed to "SerialError.log.1", replacing the
// copy before it.
class SerialErrorLog {
  public:
    static const QString kFileName;
    static const QString kRotatedFileName;
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static constexpr qint64 kRepeatIntervalMs = 60 * 1000;

    SerialErrorLog() = default;
    explicit SerialErrorLog(const QString& programFolder);
    // Writes the repeats still uncounted.
    ~SerialErrorLog();
    SerialErrorLog(const SerialErrorLog& other);
    SerialErrorLog& operator=(const SerialErrorLog& other);

    QString Path() const { return m_path; }
    // Logs one trapped error (or counts it, when it repeats one already on
    // file); false when there is no log or it cannot be written.
    bool Append(const QDateTime& when, int errorNumber, const QString& description);
    // Writes the repeats still uncounted, whatever the interval.
    void FlushRepeats();

  private:
    struct Known {
        int errorNumber = 0;
        QString description;
        QDateTime lastWritten;  // when its line or its last count was written
        qint64 uncounted = 0;   // repeats since then
    };

    bool WriteLine(const QDateTime& when, int errorNumber, const QString& text);
    bool WriteCount(const QDateTime& when, Known& known);
    void RotateWhenFull(qint64 incomingBytes);

    QString m_path;
    // The errors already on file; a few distinct ones at most.
    QVector<Known> m_known;
};
