#pragma once

#include <QHash>
#include <QObject>
#include <QVector>
#include <functional>

#include "Displays.h"

class QAction;
class QLabel;
class QLineEdit;
class QWidget;

// Keeps widgets showing what the engine's Displays hold: texts into labels and
// boxes, enabled states into controls. The widgets only show; an editable box
// writes back through its own binding (see BindEditable).
class DisplayBinding : public QObject {
    Q_OBJECT

  public:
    explicit DisplayBinding(Displays& displays, QObject* parent = nullptr);

    void Bind(Displays::Text id, QLabel* label);
    void Bind(Displays::Text id, QLineEdit* box);
    // The operator's typing goes into the Displays text as well.
    void BindEditable(Displays::Text id, QLineEdit* box);
    void Bind(Displays::Text id, std::function<void(const QString&)> show);

    void BindEnabled(Displays::Control id, QWidget* control);
    void BindEnabled(Displays::Control id, QAction* command);
    void BindEnabled(Displays::Control id, std::function<void(bool)> apply);

  private:
    void ShowText(Displays::Text id, const QString& text);
    void ApplyEnabled(Displays::Control id, bool enabled);

    Displays& m_displays;
    QHash<int, QVector<std::function<void(const QString&)>>> m_texts;
    QHash<int, QVector<std::function<void(bool)>>> m_enabled;
};
