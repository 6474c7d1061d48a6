#include "LogFollower.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <algorithm>

namespace {
// Read per turn of the event loop: a day's log at ten points a second is
// some 80 MB.
constexpr qint64 kSliceBytes = 4 * 1024 * 1024;
// The header and the first points: they differ from one run's log to the next.
constexpr int kHeadBytes = 512;
// A log not written to for this long has its newest second complete.
constexpr qint64 kQuietMs = 2000;
}  // namespace

LogFollower::LogFollower(QObject* parent) : QObject(parent) {
    m_poll.setSingleShot(true);
    connect(&m_poll, &QTimer::timeout, this, &LogFollower::Poll);
}

QString LogFollower::Problem(const QString& reason) const {
    return QStringLiteral("%1 is not a data log: %2.")
        .arg(QDir::toNativeSeparators(m_path), reason);
}

bool LogFollower::Open(const QString& path, QString* error) {
    m_poll.stop();
    m_path = path;
    Restart();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The data log %1 cannot be opened: %2.")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    // The first line decides at once whether this is a data log at all.
    const QByteArray first = file.read(DataLogReader::kLongestHeader + 2);
    QString reason;
    if (first.isEmpty()) {
        *error = Problem(QStringLiteral("the file is empty"));
        return false;
    }
    if (!m_reader.Feed(first, &reason)) {
        *error = Problem(reason);
        return false;
    }
    if (!m_reader.HeaderSeen()) {
        *error = Problem(QStringLiteral("its first line is not a data log header"));
        return false;
    }
    m_offset = first.size();
    m_head = first.left(kHeadBytes);
    Poll();
    return true;
}

void LogFollower::Restart() {
    m_reader = DataLogReader();
    m_summary.Clear();
    m_head.clear();
    m_offset = 0;
    m_size = 0;
    m_failed = false;
}

bool LogFollower::Replaced(QFile& file) const {
    if (file.size() < m_offset) {
        return true;
    }
    return file.read(m_head.size()) != m_head;
}

void LogFollower::Poll() {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Gone or locked for now: what was read stays shown, and it is tried again.
        if (!m_failed) {
            m_failed = true;
            emit failed(QStringLiteral("The data log %1 cannot be read any more: %2.")
                            .arg(QDir::toNativeSeparators(m_path), file.errorString()));
        }
        m_poll.start(kPollIntervalMs);
        return;
    }
    m_failed = false;
    if (Replaced(file)) {
        Restart();
        emit restarted();
    }
    m_size = file.size();
    if (m_size > m_offset && file.seek(m_offset)) {
        const QByteArray bytes = file.read(std::min(kSliceBytes, m_size - m_offset));
        if (m_head.size() < kHeadBytes) {
            m_head += bytes.left(kHeadBytes - m_head.size());
        }
        m_offset += bytes.size();
        QString reason;
        if (!m_reader.Feed(bytes, &reason)) {
            emit failed(Problem(reason));
            return;  // nothing more is read from a file that is no data log
        }
    }
    const bool atEnd = m_offset >= m_size;
    const bool quiet =
        atEnd &&
        file.fileTime(QFileDevice::FileModificationTime).msecsTo(QDateTime::currentDateTime()) >=
            kQuietMs;
    const QVector<LoggedPoint> points = m_reader.TakePoints(quiet);
    for (const LoggedPoint& point : points) {
        m_summary.Add(point);
    }
    if (!points.isEmpty()) {
        emit pointsRead(points);
    }
    m_poll.start(atEnd ? kPollIntervalMs : 0);
}
