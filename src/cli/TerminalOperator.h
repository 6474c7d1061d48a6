#pragma once

#include <QString>

#include "Operator.h"

// The operator of a run without a window: messages go to stderr as
// "message: <text>", one line each; a question is printed the same way and
// answered with the answer chosen on the command line (a question with a
// single answer is simply acknowledged); a file dialog is answered with a
// path given on the command line (or cancelled when there is none).
class TerminalOperator : public Operator {
  public:
    explicit TerminalOperator(QString fileAnswer = QString())
        : m_fileAnswer(std::move(fileAnswer)) {}

    void ShowMessage(const QString& text, const QString& title = QString()) override;
    int AskChoice(const QString& text, const QStringList& points,
                  const QStringList& choices) override;
    QString AskOpenFile(const QString& filter, const QString& preset) override;
    QString AskSaveFile(const QString& filter, const QString& preset) override;

    void SetFileAnswer(const QString& path) { m_fileAnswer = path; }
    // The caption of the answer given to questions that offer it.
    void SetChoiceAnswer(const QString& caption) { m_choiceAnswer = caption; }

  private:
    QString m_fileAnswer;
    QString m_choiceAnswer;
};
