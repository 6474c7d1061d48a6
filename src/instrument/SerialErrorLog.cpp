#include "SerialErrorLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const QString SerialErrorLog::kFileName = QStringLiteral("SerialError.log");
const QString SerialErrorLog::kRotatedFileName = QStringLiteral("SerialError.log.1");

namespace {
// Distinct errors remembered for counting; the oldest is forgotten beyond.
constexpr int kMaxKnownErrors = 32;
// A description is a system message and a port name; anything longer is cut.
constexpr int kMaxDescription = 1000;

QString OneLine(QString text) {
    // A line end inside the description would split the record.
    text.truncate(kMaxDescription);
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}
}  // namespace

SerialErrorLog::SerialErrorLog(const QString& programFolder)
    : m_path(programFolder.isEmpty() ? QString() : QDir(programFolder).filePath(kFileName)) {}

SerialErrorLog::~SerialErrorLog() {
    FlushRepeats();
}

// A copy is a log of the same file that has not seen any error yet: the
// counts belong to the log that saw the repeats and writes them.
SerialErrorLog::SerialErrorLog(const SerialErrorLog& other) : m_path(other.m_path) {}

SerialErrorLog& SerialErrorLog::operator=(const SerialErrorLog& other) {
    if (this != &other) {
        FlushRepeats();
        m_path = other.m_path;
        m_known.clear();
    }
    return *this;
}

bool SerialErrorLog::Append(const QDateTime& when, int errorNumber, const QString& description) {
    if (m_path.isEmpty()) {
        return false;
    }
    const QString text = OneLine(description);
    for (Known& known : m_known) {
        if (known.errorNumber != errorNumber || known.description != text) {
            continue;
        }
        ++known.uncounted;
        // A clock set back counts as a minute gone, so counts never stall.
        const qint64 sinceMs = known.lastWritten.msecsTo(when);
        if (sinceMs >= kRepeatIntervalMs || sinceMs < 0) {
            return WriteCount(when, known);
        }
        return true;
    }
    if (m_known.size() >= kMaxKnownErrors) {
        WriteCount(when, m_known.front());
        m_known.removeFirst();
    }
    m_known.push_back(Known{errorNumber, text, when, 0});
    return WriteLine(when, errorNumber, text);
}

void SerialErrorLog::FlushRepeats() {
    const QDateTime now = QDateTime::currentDateTime();
    for (Known& known : m_known) {
        WriteCount(now, known);
    }
}

bool SerialErrorLog::WriteCount(const QDateTime& when, Known& known) {
    if (known.uncounted == 0) {
        return true;
    }
    const QString text =
        QStringLiteral("repeated %1 times since %2: %3")
            .arg(known.uncounted)
            .arg(known.lastWritten.toString(QStringLiteral("hh:mm:ss")), known.description);
    known.uncounted = 0;
    known.lastWritten = when;
    return WriteLine(when, known.errorNumber, text);
}

void SerialErrorLog::RotateWhenFull(qint64 incomingBytes) {
    const QFileInfo current(m_path);
    if (!current.exists() || current.size() + incomingBytes < kMaxFileBytes) {
        return;
    }
    const QString rotated = QDir(current.absolutePath()).filePath(kRotatedFileName);
    QFile::remove(rotated);
    if (!QFile::rename(m_path, rotated)) {
        // Better an empty log than one that grows without end.
        QFile::remove(m_path);
    }
}

bool SerialErrorLog::WriteLine(const QDateTime& when, int errorNumber, const QString& text) {
    const QString line = QStringLiteral("%1,%2,%3\r\n")
                             .arg(when.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")),
                                  QString::number(errorNumber), text);
    const QByteArray bytes = line.toUtf8();
    RotateWhenFull(bytes.size());
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    return file.write(bytes) == bytes.size() && file.flush();
}
