#include "DataLog.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "NumberText.h"

namespace {
constexpr int kMaxSerialLength = 100;
// Enough of a log's end to hold its last whole line.
constexpr qint64 kTailBytes = 64 * 1024;

// Where an existing log of the same name goes, so that it is never destroyed.
QString AsidePath(const QString& path) {
    const QFileInfo info(path);
    const QString stamp = info.lastModified().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString candidate = info.dir().filePath(info.completeBaseName() + "-" + stamp + ".CSV");
    for (int n = 2; QFileInfo::exists(candidate); ++n) {
        candidate = info.dir().filePath(info.completeBaseName() + "-" + stamp + "-" +
                                        QString::number(n) + ".CSV");
    }
    return candidate;
}
}  // namespace

bool DataLog::Open(const QString& path, const QString& header, QString* error) {
    Close();
    m_movedAside.clear();
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("the folder %1 cannot be created").arg(info.absolutePath());
        return false;
    }
    if (info.exists()) {
        const QString aside = AsidePath(path);
        if (!QFile::rename(path, aside)) {
            *error = QStringLiteral("the existing log cannot be moved to %1").arg(aside);
            return false;
        }
        m_movedAside = aside;
    }
    m_file.setFileName(path);
    // Unbuffered: a line goes to the system as it is written, and a failed
    // write reports the system's own reason.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        *error = m_file.errorString();
        return false;
    }
    if (!WriteLine(header, error)) {
        Close();
        return false;
    }
    return true;
}

bool DataLog::OpenForAppend(const QString& path, qint64* nextNumber, QString* error) {
    Close();
    m_file.setFileName(path);
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("the file is missing");
        return false;
    }
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *error = m_file.errorString();
        return false;
    }
    // The last lines are all that matter; a log of many days is not read whole.
    const qint64 size = m_file.size();
    const qint64 tailStart = qMax<qint64>(0, size - kTailBytes);
    m_file.seek(tailStart);
    const QByteArray tail = m_file.read(size - tailStart);
    const qsizetype lastEnd = tail.lastIndexOf('\n');
    if (lastEnd < 0) {
        *error = QStringLiteral("it holds no whole line");
        Close();
        return false;
    }
    if (lastEnd + 1 < tail.size() && !m_file.resize(tailStart + lastEnd + 1)) {
        *error = m_file.errorString();
        Close();
        return false;
    }
    const qsizetype lineStart = tail.lastIndexOf('\n', lastEnd - 1) + 1;
    const QByteArray lastLine = tail.mid(lineStart, lastEnd - lineStart).trimmed();
    bool numbered = false;
    const qint64 number = lastLine.left(lastLine.indexOf(',')).toLongLong(&numbered);
    if (!numbered && !lastLine.startsWith("No.,")) {
        *error = QStringLiteral("its last line is no data log line");
        Close();
        return false;
    }
    *nextNumber = numbered ? number + 1 : 1;
    m_file.seek(m_file.size());
    return true;
}

void DataLog::Close() {
    if (m_file.isOpen()) {
        m_file.close();
    }
}

bool DataLog::WriteLine(const QString& line, QString* error) {
    if (!m_file.isOpen()) {
        return true;  // a point with no log open is dropped
    }
    const QByteArray bytes = line.toUtf8() + "\r\n";
    const qint64 lineStart = m_file.pos();
    qint64 written = 0;
    // A write cut short (the disk filled up in the middle of the line) is
    // tried again for the rest, which then fails with the system's reason.
    while (written < bytes.size()) {
        const qint64 n = m_file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            break;
        }
        written += n;
    }
    if (written == bytes.size()) {
        return true;
    }
    QString reason = m_file.errorString();
    // The log keeps whole lines only: what part of this one reached the file
    // goes again.
    if (written > 0 && !m_file.resize(lineStart)) {
        reason += QStringLiteral("; the last line could not be taken back (%1)")
                      .arg(m_file.errorString());
    }
    *error = QStringLiteral("cannot write the data log %1: %2").arg(m_file.fileName(), reason);
    return false;
}

QString CsvField(const QString& text) {
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return kSpecial.contains(c); })) {
        return text;
    }
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString LogHeader(const QStringList& quantityTitles) {
    QString header = QStringLiteral("No.,Step,Loop1,StepTime");
    for (const QString& title : quantityTitles) {
        header += "," + title + "A," + title + "B," + title + "C";
    }
    return header + QStringLiteral(",TotalTime,StepMode");
}

namespace {
// "h:m:s" with every part at least two digits wide.
QString HoursMinutesSeconds(qint64 hours, int minutes, int seconds) {
    QString text;
    text.reserve(8);
    AppendZeroPadded(&text, hours, 2);
    text += QLatin1Char(':');
    AppendZeroPadded(&text, minutes, 2);
    text += QLatin1Char(':');
    AppendZeroPadded(&text, seconds, 2);
    return text;
}
}  // namespace

QString ElapsedText(const QDateTime& start, const QDateTime& end) {
    // Count the second boundaries crossed, as the clock texts show them.
    const qint64 startSecond = start.toSecsSinceEpoch();
    const qint64 endSecond = end.toSecsSinceEpoch();
    const qint64 s = qMax<qint64>(0, endSecond - startSecond);
    return HoursMinutesSeconds(s / 3600, static_cast<int>((s / 60) % 60), static_cast<int>(s % 60));
}

QString ClockText(const QTime& time) {
    return HoursMinutesSeconds(time.hour(), time.minute(), time.second());
}

bool IsSafeFileName(const QString& serial) {
    if (serial.isEmpty() || serial.size() > kMaxSerialLength || serial == "." || serial == "..") {
        return false;
    }
    if (serial.endsWith('.') || serial.endsWith(' ') || serial.startsWith(' ')) {
        return false;
    }
    static const QString kRefused = QStringLiteral("<>:\"/\\|?*");
    for (const QChar c : serial) {
        if (c.unicode() < 32 || kRefused.contains(c)) {
            return false;
        }
    }
    // Names Windows reserves for devices, with or without an extension.
    static const QStringList kDevices{
        "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
        "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    const QString stem = serial.section('.', 0, 0).toUpper();
    return !kDevices.contains(stem);
}
