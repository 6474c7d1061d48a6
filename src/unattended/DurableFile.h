#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// Files that must survive a crash or a power cut whole: written to a
// temporary file, flushed to the disk, renamed over the old one, and the
// folder flushed too, so that a reader finds the old file or the new one,
// never a part.
namespace DurableFile {

// Replaces `path` with `bytes`; false with the reason in `error`.
bool Write(const QString& path, const QByteArray& bytes, QString* error);
bool WriteJson(const QString& path, const QJsonObject& object, QString* error);
// The JSON object in `path`; nothing, with the reason, when the file is
// missing, larger than a few MB or no JSON object.
std::optional<QJsonObject> ReadJson(const QString& path, QString* error);

}  // namespace DurableFile
