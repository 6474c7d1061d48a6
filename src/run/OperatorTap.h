#pragma once

#include <functional>

#include "Operator.h"

// Stands between the engine and the operator: every message is told to a
// listener (the lab's telemetry) before it is shown, since showing it may
// wait for a person; questions and dialogs pass straight through.
class OperatorTap : public Operator {
  public:
    using Listener = std::function<void(const QString& text, const QString& title)>;

    OperatorTap(Operator& target, Listener listener)
        : m_target(target), m_listener(std::move(listener)) {}

    void ShowMessage(const QString& text, const QString& title = QString()) override {
        m_listener(text, title);
        m_target.ShowMessage(text, title);
    }
    int AskChoice(const QString& text, const QStringList& points,
                  const QStringList& choices) override {
        return m_target.AskChoice(text, points, choices);
    }
    QString AskOpenFile(const QString& filter, const QString& preset) override {
        return m_target.AskOpenFile(filter, preset);
    }
    QString AskSaveFile(const QString& filter, const QString& preset) override {
        return m_target.AskSaveFile(filter, preset);
    }

  private:
    Operator& m_target;
    Listener m_listener;
};
