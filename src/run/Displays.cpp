#include "Displays.h"

#include "NumberText.h"

Displays::Displays(QObject* parent) : QObject(parent) {
    m_texts[Voltage] = QStringLiteral("0.0000");
    m_texts[Current] = QStringLiteral("0.0000");
    m_texts[Power] = QStringLiteral("0.0000");
    m_texts[Resistance] = QStringLiteral("0.0000");
    m_texts[AmpHours] = QStringLiteral("0.00000000");
    m_texts[KilowattHours] = QStringLiteral("0.00000000");
    m_texts[TestAmpHours] = QStringLiteral("0.00000000");
    m_texts[TestWattHours] = QStringLiteral("0.000000");
    m_texts[Activity] = QStringLiteral("/");
    m_texts[LoadCount] = QStringLiteral("0");
    m_texts[ChannelCaption] = QStringLiteral("Channel");
    m_enabled.fill(true);
    m_enabled[StopButton] = false;
    m_enabled[PauseButton] = false;
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

void Displays::SetChannelBackground(FrameBackground background) {
    if (m_channelBackground == background) {
        return;
    }
    m_channelBackground = background;
    emit frameChanged();
}

void Displays::SetChannelCaptionRed(bool red) {
    if (m_channelCaptionRed == red) {
        return;
    }
    m_channelCaptionRed = red;
    emit frameChanged();
}

void Displays::SetStepProgress(int step, const QString& action, double elapsed, double dwell) {
    m_stepElapsed = elapsed;
    m_stepDwell = dwell;
    Set(StepProgress, QStringLiteral("Step %1 %2 %3/%4 s")
                          .arg(step)
                          .arg(action, QString::number(elapsed, 'f', 0), NumberText(dwell)));
}

QString ChannelCaptionText(int channelNumber) {
    return QStringLiteral("Channel - %1").arg(channelNumber);
}
