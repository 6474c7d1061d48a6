#pragma once

#include <QPointer>
#include <QWidget>

#include "Operator.h"

// The operator seen through the window: modal message boxes with only an OK
// button, questions as message boxes with one button per answer, and the
// file dialogs for test files.
class QtOperator : public Operator {
  public:
    // Dialogs are centred on `parent` once the window exists.
    void SetParentWidget(QWidget* parent) { m_parent = parent; }

    void ShowMessage(const QString& text, const QString& title = QString()) override;
    int AskChoice(const QString& text, const QStringList& points,
                  const QStringList& choices) override;
    QString AskOpenFile(const QString& filter, const QString& preset) override;
    QString AskSaveFile(const QString& filter, const QString& preset) override;

  private:
    QPointer<QWidget> m_parent;
};
