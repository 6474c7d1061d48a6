#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

// The run's CSV data log: one header line and one line per measurement
// point, fields separated by "," (quoted only where CsvField says), lines
// ended by CR LF, every line flushed to
// disk as it is written so that a crash or a power cut loses nothing.
class DataLog {
  public:
    // Creates the folder of `path` when missing, moves an existing file of that
    // name aside to "<name>-<yyyyMMdd-hhmmss>.CSV" (its modification time),
    // creates the file and writes `header`. Returns false with a reason.
    bool Open(const QString& path, const QString& header, QString* error);
    // Opens the existing log `path` of an interrupted run to go on with it:
    // a last line cut short by the interruption is removed, and `nextNumber`
    // gets the number that follows the last whole line's ("No." field; 1 when
    // only the header is there). Returns false with a reason when the file is
    // missing or is no data log.
    bool OpenForAppend(const QString& path, qint64* nextNumber, QString* error);
    void Close();
    bool IsOpen() const { return m_file.isOpen(); }
    // Where the last Open moved an earlier log of the same name; "" when
    // there was none.
    QString MovedAside() const { return m_movedAside; }
    QString Path() const { return m_file.fileName(); }

    // Appends one line, handed to the system at once. Returns false with the
    // system's reason when the line could not be written (disk full, file
    // too large); a line written in part is cut off again, so the file holds
    // whole lines only.
    bool WriteLine(const QString& line, QString* error);

  private:
    QFile m_file;
    QString m_movedAside;
};

// A field as a data line holds it: as it is, unless it holds a comma, a
// double quote or a line break; then in double quotes with each double quote
// doubled, as RFC 4180 has it, so that it cannot shift the columns.
QString CsvField(const QString& text);

// The data log header: "No.,Step,Loop1,StepTime", each quantity title
// followed by A, B and C, then "TotalTime,StepMode".
QString LogHeader(const QStringList& quantityTitles);

// Whole seconds from `start` to `end` as h:mm:ss with at least two digits per
// field; hours are not wrapped ("100:00:05").
QString ElapsedText(const QDateTime& start, const QDateTime& end);
// "hh:mm:ss", the time of day a data log line carries.
QString ClockText(const QTime& time);

// True when `serial` can name a file on both Windows and Linux: not empty, no
// path separators or characters either system refuses, not "." or "..", no
// trailing dot or blank, at most 100 characters.
bool IsSafeFileName(const QString& serial);
