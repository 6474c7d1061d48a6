#pragma once

#include <QDateTime>
#include <QString>

// The serial line's error log, "SerialError.log" in the program folder: one
// line per trapped error with date and time, error number and description,
// comma separated. Each line is on disk before Append returns.
class SerialErrorLog {
  public:
    static const QString kFileName;

    SerialErrorLog() = default;
    explicit SerialErrorLog(const QString& programFolder);

    QString Path() const { return m_path; }
    // Appends one line; false when there is no log or it cannot be written.
    bool Append(const QDateTime& when, int errorNumber, const QString& description) const;

  private:
    QString m_path;
};
