#pragma once

#include <QString>
#include <QStringList>

// The one way the engine speaks to a person: a message with only an OK
// button, a question with a few answers, and the file dialogs. The window answers with message
// boxes and file dialogs, the headless runner on the terminal, tests by recording the calls.
class Operator {
  public:
    virtual ~Operator() = default;

    // Shows `text` and returns when it has been acknowledged. An empty title
    // means the message box carries none.
    virtual void ShowMessage(const QString& text, const QString& title = QString()) = 0;

    // Shows `text` and a list of `points` (one a line, may be empty) and asks
    // for one of `choices`, the captions of the answers. The last choice is
    // the cautious one: it is the default, and closing the question picks it.
    // Returns the index of the answer, or -1 when none could be had.
    virtual int AskChoice(const QString& text, const QStringList& points,
                          const QStringList& choices) = 0;

    // Asks for a file; `filter` is in Qt's form ("Label(*.ext);;..."), `preset`
    // the proposed path. Returns the chosen path, or "" when cancelled.
    virtual QString AskOpenFile(const QString& filter, const QString& preset) = 0;
    virtual QString AskSaveFile(const QString& filter, const QString& preset) = 0;
};

// The file dialogs' filter for test files: INI files, then all files.
inline const QString kTestFileFilter = QStringLiteral("INI檔(*.ini);;所有檔案(*.*)");
