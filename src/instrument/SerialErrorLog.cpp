#include "SerialErrorLog.h"

#include <QDir>
#include <QFile>

const QString SerialErrorLog::kFileName = QStringLiteral("SerialError.log");

SerialErrorLog::SerialErrorLog(const QString& programFolder)
    : m_path(programFolder.isEmpty() ? QString() : QDir(programFolder).filePath(kFileName)) {}

bool SerialErrorLog::Append(const QDateTime& when, int errorNumber,
                            const QString& description) const {
    if (m_path.isEmpty()) {
        return false;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    // A line end inside the description would split the record.
    QString text = description;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString line = QStringLiteral("%1,%2,%3\r\n")
                             .arg(when.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")),
                                  QString::number(errorNumber), text);
    const QByteArray bytes = line.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}
