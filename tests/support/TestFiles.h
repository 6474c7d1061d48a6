#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for tests that work on real files in a temporary folder.
void WriteFileBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadFileBytes(const QString& path);
