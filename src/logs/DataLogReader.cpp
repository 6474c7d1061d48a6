#include "DataLogReader.h"

#include <cmath>

#include "CsvRecord.h"

namespace {
constexpr int kFieldCount = 15;
constexpr int kFirstValueField = 4;
constexpr int kTotalTimeField = 13;
constexpr int kStepModeField = 14;
// No point line is anywhere near this long; past it a line is junk.
constexpr int kLongestLine = 64 * 1024;
const QByteArray kByteOrderMark("\xEF\xBB\xBF");

QByteArray WithoutLineEnd(QByteArray line) {
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

// "h:mm:ss" with any number of hours; -1 when it is no such text.
qint64 ElapsedSeconds(const QByteArray& text) {
    const QList<QByteArray> parts = text.trimmed().split(':');
    if (parts.size() != 3) {
        return -1;
    }
    bool okHours = false;
    bool okMinutes = false;
    bool okSeconds = false;
    const qint64 hours = parts[0].toLongLong(&okHours);
    const int minutes = parts[1].toInt(&okMinutes);
    const int seconds = parts[2].toInt(&okSeconds);
    if (!okHours || !okMinutes || !okSeconds || hours < 0 || minutes < 0 || minutes >= 60 ||
        seconds < 0 || seconds >= 60) {
        return -1;
    }
    return hours * 3600 + minutes * 60 + seconds;
}
}  // namespace

bool DataLogReader::Feed(const QByteArray& bytes, QString* error) {
    if (!m_refusal.isEmpty()) {
        *error = m_refusal;
        return false;
    }
    m_partial += bytes;
    qsizetype begin = 0;
    for (qsizetype end = NextRecordEnd(begin); end >= 0;
         begin = end + 1, end = NextRecordEnd(begin)) {
        const QByteArray line = WithoutLineEnd(m_partial.mid(begin, end - begin));
        if (!m_headerSeen) {
            if (!ReadHeader(line, error)) {
                m_refusal = *error;
                m_partial.clear();
                return false;
            }
        } else {
            ReadPoint(line);
        }
    }
    m_partial.remove(0, begin);
    if (!m_headerSeen && m_partial.size() > kLongestHeader) {
        m_refusal = *error = QStringLiteral("its first line is not a data log header");
        m_partial.clear();
        return false;
    }
    if (m_partial.size() > kLongestLine) {
        ++m_skipped;
        m_partial.clear();
    }
    return true;
}

qsizetype DataLogReader::NextRecordEnd(qsizetype from) {
    for (;;) {
        const qsizetype end = CsvRecordEnd(m_partial, from);
        if (end >= 0 || m_partial.size() - from <= kLongestLine) {
            return end;
        }
        // A quote that is never closed: the line it opened is junk, the
        // lines after it are not.
        const qsizetype lineEnd = m_partial.indexOf('\n', from);
        if (lineEnd < 0) {
            return -1;
        }
        ++m_skipped;
        m_partial.remove(from, lineEnd + 1 - from);
    }
}

bool DataLogReader::ReadHeader(const QByteArray& line, QString* error) {
    QByteArray text = line;
    if (text.startsWith(kByteOrderMark)) {
        text.remove(0, kByteOrderMark.size());
    }
    const QList<QByteArray> fields = CsvFields(text);
    bool valid = fields.size() == kFieldCount && fields[0] == "No." && fields[1] == "Step" &&
                 fields[2] == "Loop1" && fields[3] == "StepTime" &&
                 fields[kTotalTimeField] == "TotalTime" && fields[kStepModeField] == "StepMode";
    QStringList titles;
    for (int quantity = 0; valid && quantity < 3; ++quantity) {
        const QByteArray first = fields[kFirstValueField + 3 * quantity];
        const QByteArray title = first.left(first.size() - 1);
        valid = !title.isEmpty() && first.endsWith('A') &&
                fields[kFirstValueField + 3 * quantity + 1] == title + 'B' &&
                fields[kFirstValueField + 3 * quantity + 2] == title + 'C';
        titles << QString::fromUtf8(title);
    }
    if (!valid) {
        *error = QStringLiteral(
            "its first line is not a data log header (\"No.,Step,Loop1,StepTime,\" the "
            "three phases of voltage, current and power, \",TotalTime,StepMode\")");
        return false;
    }
    m_titles = titles;
    m_headerSeen = true;
    return true;
}

void DataLogReader::ReadPoint(const QByteArray& line) {
    if (line.trimmed().isEmpty()) {
        return;
    }
    const QList<QByteArray> fields = CsvFields(line);
    if (fields.size() != kFieldCount) {
        ++m_skipped;
        return;
    }
    LoggedPoint p;
    bool ok = true;
    bool fieldOk = false;
    p.number = fields[0].toLongLong(&fieldOk);
    ok = ok && fieldOk;
    p.step = fields[1].toInt(&fieldOk);
    ok = ok && fieldOk;
    p.loop1 = QString::fromUtf8(fields[2].trimmed());
    p.timeOfDay = QString::fromUtf8(fields[3].trimmed());
    std::array<double, 3>* quantities[] = {&p.voltage, &p.current, &p.power};
    for (int i = 0; i < 9; ++i) {
        const double value = fields[kFirstValueField + i].toDouble(&fieldOk);
        ok = ok && fieldOk && std::isfinite(value);
        (*quantities[i / 3])[i % 3] = value;
    }
    p.totalSeconds = ElapsedSeconds(fields[kTotalTimeField]);
    p.stepMode = QString::fromUtf8(fields[kStepModeField].trimmed());
    if (!ok || p.totalSeconds < 0) {
        ++m_skipped;
        return;
    }
    m_held.push_back(p);
}

QVector<LoggedPoint> DataLogReader::TakePoints(bool includeNewestSecond) {
    QVector<LoggedPoint> out;
    if (m_held.isEmpty()) {
        return out;
    }
    int end = m_held.size();
    if (!includeNewestSecond) {
        while (end > 0 && m_held[end - 1].totalSeconds == m_held.back().totalSeconds) {
            --end;
        }
    }
    out.reserve(end);
    for (int first = 0; first < end;) {
        int next = first + 1;
        while (next < end && m_held[next].totalSeconds == m_held[first].totalSeconds) {
            ++next;
        }
        Place(out, first, next);
        first = next;
    }
    m_held.remove(0, end);
    return out;
}

void DataLogReader::Place(QVector<LoggedPoint>& out, int first, int end) {
    const qint64 second = m_held[first].totalSeconds;
    const int count = end - first;
    // More points of a second already shown go between its last one and the
    // next second, so the run time never runs backwards.
    const bool continues = second == m_lastPlacedSecond;
    for (int k = 0; k < count; ++k) {
        LoggedPoint p = m_held[first + k];
        p.seconds = continues ? m_lastPlaced + (second + 1 - m_lastPlaced) * (k + 1) / (count + 1)
                              : second + static_cast<double>(k) / count;
        out.push_back(p);
    }
    m_lastPlacedSecond = second;
    m_lastPlaced = out.back().seconds;
}
