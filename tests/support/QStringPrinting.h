#pragma once

#include <QString>
#include <ostream>

// Failures show texts, not bytes.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
