#include "Displays.h"

#include "NumberText.h"

Displays::Displays(QObject* parent) : QObject(parent) {
    m_texts[VoltageText] = QStringLiteral("0.0000");
    m_texts[CurrentText] = QStringLiteral("0.0000");
    m_texts[PowerText] = QStringLiteral("0.0000");
    m_texts[ResText] = QStringLiteral("0.0000");
    m_texts[AHText] = QStringLiteral("0.00000000");
    m_texts[KWHText] = QStringLiteral("0.00000000");
    m_texts[WorkLabel] = QStringLiteral("/");
    m_texts[LoadCountLabel] = QStringLiteral("0");
    m_texts[Frame2Caption] = QStringLiteral("Channel");
    m_enabled.fill(true);
    m_enabled[StopCommand] = false;
    m_enabled[PauseCommand] = false;
}

void Displays::Set(Text id, const QString& text) {
    QString& current = m_texts[static_cast<size_t>(id)];
    if (current == text) {
        return;
    }
    current = text;
    emit textChanged(id, text);
}

double Displays::Value(Text id) const {
    return NumericValue(Get(id));
}

void Displays::SetEnabled(Control id, bool enabled) {
    bool& current = m_enabled[static_cast<size_t>(id)];
    if (current == enabled) {
        return;
    }
    current = enabled;
    emit enabledChanged(id, enabled);
}

void Displays::SetFrame2Background(FrameBackground background) {
    if (m_frameBackground == background) {
        return;
    }
    m_frameBackground = background;
    emit frameChanged();
}

void Displays::SetFrame2CaptionRed(bool red) {
    if (m_frameCaptionRed == red) {
        return;
    }
    m_frameCaptionRed = red;
    emit frameChanged();
}

void Displays::SetStepProgress(int step, const QString& action, double elapsed, double dwell) {
    m_stepElapsed = elapsed;
    m_stepDwell = dwell;
    Set(StepProgress, QStringLiteral("Step %1 %2 %3/%4 s")
                          .arg(step)
                          .arg(action, QString::number(elapsed, 'f', 0), NumberText(dwell)));
}
