#pragma once

#include <QString>

#include "Operator.h"

// The operator of a run without a window: messages go to stderr as
// "message: <text>", and a file dialog is answered with a path given on the
// command line (or cancelled when there is none).
class TerminalOperator : public Operator {
  public:
    explicit TerminalOperator(QString fileAnswer = QString())
        : m_fileAnswer(std::move(fileAnswer)) {}

    void ShowMessage(const QString& text, const QString& title = QString()) override;
    QString AskOpenFile(const QString& filter, const QString& preset) override;
    QString AskSaveFile(const QString& filter, const QString& preset) override;

    void SetFileAnswer(const QString& path) { m_fileAnswer = path; }

  private:
    QString m_fileAnswer;
};
