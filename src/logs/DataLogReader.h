#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "LoggedPoint.h"

// Reads a run's CSV data log from its bytes, as they come: the whole file
// at once or a running log piece by piece. The first line must be the data
// log header; a line that is not a point (cut short, edited by hand) is
// skipped and counted.
class DataLogReader {
  public:
    // Takes the next bytes of the file. Returns false with a reason when the
    // file turns out not to be a data log; nothing more is read then.
    bool Feed(const QByteArray& bytes, QString* error);

    // True once the header has been read, false while the file holds less
    // than its first line. `error` says why the first line is no header.
    bool HeaderSeen() const { return m_headerSeen; }
    QStringList QuantityTitles() const { return m_titles; }

    // The points read since the last call. The points of the newest second
    // are held back while more of that second may still be written, unless
    // `includeNewestSecond`: they can only be spread across it once known.
    QVector<LoggedPoint> TakePoints(bool includeNewestSecond);

    qint64 SkippedLines() const { return m_skipped; }
    // A first line this long without an end is no header.
    static constexpr int kLongestHeader = 4096;

  private:
    // The end of the record starting at `from`, like CsvRecordEnd(); a line
    // holding an unclosed quote is dropped once it is plainly no record.
    qsizetype NextRecordEnd(qsizetype from);
    bool ReadHeader(const QByteArray& line, QString* error);
    void ReadPoint(const QByteArray& line);
    void Place(QVector<LoggedPoint>& out, int first, int end);

    QByteArray m_partial;
    bool m_headerSeen = false;
    QString m_refusal;
    QStringList m_titles;
    QVector<LoggedPoint> m_held;
    qint64 m_skipped = 0;
    qint64 m_lastPlacedSecond = -1;
    double m_lastPlaced = 0;
};
