#include "DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
// A journal or results file is a few hundred kB at most (a copy of 1000 steps).
constexpr qint64 kMaxJsonBytes = 16 * 1024 * 1024;

void SyncFolder(const QString& path) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}
}  // namespace

namespace DurableFile {

bool Write(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    bool written = file.write(bytes) == bytes.size() && file.flush();
#ifdef Q_OS_UNIX
    written = written && ::fsync(file.handle()) == 0;
#endif
    if (!written || !file.commit()) {
        *error = file.errorString().isEmpty() ? QStringLiteral("the disk refused the data")
                                              : file.errorString();
        file.cancelWriting();
        return false;
    }
    SyncFolder(path);
    return true;
}

bool WriteJson(const QString& path, const QJsonObject& object, QString* error) {
    return Write(path, QJsonDocument(object).toJson(QJsonDocument::Indented), error);
}

std::optional<QJsonObject> ReadJson(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > kMaxJsonBytes) {
        *error = QStringLiteral("the file is too large");
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = parse.error != QJsonParseError::NoError ? parse.errorString()
                                                         : QStringLiteral("no JSON object");
        return std::nullopt;
    }
    return doc.object();
}

}  // namespace DurableFile
