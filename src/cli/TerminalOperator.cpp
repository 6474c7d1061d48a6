#include "TerminalOperator.h"

#include <cstdio>

namespace {
// Every line of a message carries the prefix, so that a reader of the
// terminal (or a script) can tell messages from progress.
void PrintMessage(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        std::fprintf(stderr, "message: %s\n", line.toLocal8Bit().constData());
    }
    std::fflush(stderr);
}
}  // namespace

void TerminalOperator::ShowMessage(const QString& text, const QString& title) {
    PrintMessage(title.isEmpty() ? text : title + ": " + text);
}

int TerminalOperator::AskChoice(const QString& text, const QStringList& points,
                                const QStringList& choices) {
    PrintMessage(text);
    for (const QString& point : points) {
        PrintMessage(point);
    }
    if (choices.size() == 1) {
        return 0;
    }
    return static_cast<int>(choices.indexOf(m_choiceAnswer));
}

QString TerminalOperator::AskOpenFile(const QString& /*filter*/, const QString& /*preset*/) {
    return m_fileAnswer;
}

QString TerminalOperator::AskSaveFile(const QString& /*filter*/, const QString& /*preset*/) {
    return m_fileAnswer;
}
