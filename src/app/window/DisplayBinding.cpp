#include "DisplayBinding.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

DisplayBinding::DisplayBinding(Displays& displays, QObject* parent)
    : QObject(parent), m_displays(displays) {
    connect(&displays, &Displays::textChanged, this, &DisplayBinding::ShowText);
    connect(&displays, &Displays::enabledChanged, this, &DisplayBinding::ApplyEnabled);
}

void DisplayBinding::Bind(Displays::Text id, std::function<void(const QString&)> show) {
    show(m_displays.Get(id));
    m_texts[id].push_back(std::move(show));
}

void DisplayBinding::Bind(Displays::Text id, QLabel* label) {
    QPointer<QLabel> guard(label);
    Bind(id, [guard](const QString& text) {
        if (guard) {
            guard->setText(text);
        }
    });
}

void DisplayBinding::Bind(Displays::Text id, QLineEdit* box) {
    QPointer<QLineEdit> guard(box);
    Bind(id, [guard](const QString& text) {
        // Writing an unchanged text would move the cursor of a box being typed in.
        if (guard && guard->text() != text) {
            guard->setText(text);
            guard->setCursorPosition(0);
        }
    });
}

void DisplayBinding::BindEditable(Displays::Text id, QLineEdit* box) {
    Bind(id, box);
    connect(box, &QLineEdit::textEdited, this,
            [this, id](const QString& text) { m_displays.Set(id, text); });
}

void DisplayBinding::BindEnabled(Displays::Control id, std::function<void(bool)> apply) {
    apply(m_displays.IsEnabled(id));
    m_enabled[id].push_back(std::move(apply));
}

void DisplayBinding::BindEnabled(Displays::Control id, QWidget* control) {
    QPointer<QWidget> guard(control);
    BindEnabled(id, [guard](bool enabled) {
        if (guard) {
            guard->setEnabled(enabled);
        }
    });
}

void DisplayBinding::BindEnabled(Displays::Control id, QAction* command) {
    QPointer<QAction> guard(command);
    BindEnabled(id, [guard](bool enabled) {
        if (guard) {
            guard->setEnabled(enabled);
        }
    });
}

void DisplayBinding::ShowText(Displays::Text id, const QString& text) {
    for (const auto& show : m_texts.value(id)) {
        show(text);
    }
}

void DisplayBinding::ApplyEnabled(Displays::Control id, bool enabled) {
    for (const auto& apply : m_enabled.value(id)) {
        apply(enabled);
    }
}
