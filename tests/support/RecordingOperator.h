#pragma once

#include <QString>
#include <QStringList>

#include "Operator.h"

// Records every message and answers the file dialogs with preset paths.
class RecordingOperator : public Operator {
  public:
    struct Message {
        QString text;
        QString title;
    };

    void ShowMessage(const QString& text, const QString& title = QString()) override {
        messages.push_back({text, title});
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

    QVector<Message> messages;
    QString openAnswer;
    QString saveAnswer;
    QString lastFilter;
    QString lastPreset;
    int openDialogs = 0;
    int saveDialogs = 0;
};
