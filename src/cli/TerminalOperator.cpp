#include "TerminalOperator.h"

#include <cstdio>

void TerminalOperator::ShowMessage(const QString& text, const QString& title) {
    const QString line = title.isEmpty() ? text : title + ": " + text;
    std::fprintf(stderr, "message: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString TerminalOperator::AskOpenFile(const QString& /*filter*/, const QString& /*preset*/) {
    return m_fileAnswer;
}

QString TerminalOperator::AskSaveFile(const QString& /*filter*/, const QString& /*preset*/) {
    return m_fileAnswer;
}
