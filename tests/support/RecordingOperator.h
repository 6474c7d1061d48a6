#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "Operator.h"

// Records every message and question, answers questions with a preset
// caption (the first answer when none is set) and the file dialogs with
// preset paths.
class RecordingOperator : public Operator {
  public:
    struct Message {
        QString text;
        QString title;
    };

    void ShowMessage(const QString& text, const QString& title = QString()) override {
        messages.push_back({text, title});
        if (onMessage) {
            onMessage(text);  // what happens while the box would be open
        }
    }
    int AskChoice(const QString& text, const QStringList& points,
                  const QStringList& choices) override {
        questions.push_back({text, points, choices});
        return choiceAnswer.isEmpty() ? 0 : static_cast<int>(choices.indexOf(choiceAnswer));
    }
    QString AskOpenFile(const QString& filter, const QString& preset) override {
        lastFilter = filter;
        lastPreset = preset;
        ++openDialogs;
        return openAnswer;
    }
    QString AskSaveFile(const QString& filter, const QString& preset) override {
        lastFilter = filter;
        lastPreset = preset;
        ++saveDialogs;
        return saveAnswer;
    }

    QStringList Texts() const {
        QStringList texts;
        for (const Message& m : messages) {
            texts << m.text;
        }
        return texts;
    }

    struct Question {
        QString text;
        QStringList points;
        QStringList choices;
    };

    QVector<Message> messages;
    QVector<Question> questions;
    std::function<void(const QString& text)> onMessage;
    QString choiceAnswer;
    QString openAnswer;
    QString saveAnswer;
    QString lastFilter;
    QString lastPreset;
    int openDialogs = 0;
    int saveDialogs = 0;
};
