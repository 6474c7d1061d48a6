#include "RunStatusBar.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "Displays.h"

namespace {
constexpr int kFullScale = 1000;
}

RunStatusBar::RunStatusBar(Displays& displays, QWidget* parent)
    : QStatusBar(parent),
      m_displays(displays),
      m_step(new QLabel(this)),
      m_progress(new QProgressBar(this)),
      m_log(new QLabel(this)),
      m_note(new QLabel(this)),
      m_loadPlace(new QLabel(this)),
      m_telemetry(new QLabel(this)),
      m_paused(new QLabel(QStringLiteral("Paused"), this)),
      m_earlierLog(new QLabel(this)) {
    setObjectName(QStringLiteral("RunStatusBar"));
    m_step->setObjectName(QStringLiteral("StepStatusLabel"));
    m_step->setMinimumWidth(260);
    m_progress->setObjectName(QStringLiteral("StepProgressBar"));
    m_progress->setRange(0, kFullScale);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(220);
    m_log->setObjectName(QStringLiteral("LogFileLabel"));
    m_log->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_paused->setObjectName(QStringLiteral("PausedLabel"));
    m_paused->setStyleSheet(QStringLiteral("font-weight: bold"));
    m_paused->hide();
    m_earlierLog->setObjectName(QStringLiteral("EarlierLogLabel"));
    m_earlierLog->hide();
    addWidget(m_paused);
    addWidget(m_step);
    addWidget(m_progress);
    addWidget(m_earlierLog);
    m_note->setObjectName(QStringLiteral("SessionNoteLabel"));
    m_note->hide();
    m_loadPlace->setObjectName(QStringLiteral("LoadPlaceLabel"));
    m_loadPlace->hide();
    addPermanentWidget(m_log);
    addPermanentWidget(m_note);
    addPermanentWidget(m_loadPlace);
    m_telemetry->setObjectName(QStringLiteral("TelemetryStatusLabel"));
    m_telemetry->hide();
    addPermanentWidget(m_telemetry);

    connect(&displays, &Displays::textChanged, this,
            [this](Displays::Text id, const QString& text) {
                if (id == Displays::StepProgress) {
                    ShowStep(text);
                } else if (id == Displays::LogFilePath) {
                    ShowLog(text);
                }
            });
    ShowLog(displays.Get(Displays::LogFilePath));
    ShowIdle();
}

void RunStatusBar::ShowStep(const QString& text) {
    m_step->setText(text);
    const double dwell = m_displays.StepDwell();
    m_progress->setVisible(dwell > 0);
    if (dwell > 0) {
        const double share = std::clamp(m_displays.StepElapsed() / dwell, 0.0, 1.0);
        m_progress->setValue(static_cast<int>(share * kFullScale));
    }
}

void RunStatusBar::ShowLog(const QString& path) {
    m_log->setText(path.isEmpty() ? QString() : QStringLiteral("Data log: %1").arg(path));
}

void RunStatusBar::ShowIdle() {
    m_paused->hide();
    m_step->setText(QStringLiteral("No test running"));
    m_progress->setValue(0);
    m_progress->setVisible(false);
}

void RunStatusBar::ShowNote(const QString& text) {
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
}

void RunStatusBar::ShowLoadPlace(const QString& text) {
    m_loadPlace->setText(text);
    m_loadPlace->setVisible(!text.isEmpty());
}

QString RunStatusBar::StepText() const {
    return m_step->text();
}

int RunStatusBar::ProgressPermille() const {
    return m_progress->value();
}

QString RunStatusBar::LogText() const {
    return m_log->text();
}

QString RunStatusBar::LoadPlaceText() const {
    return m_loadPlace->text();
}

void RunStatusBar::ShowTelemetry(const QString& text) {
    m_telemetry->setText(text);
    m_telemetry->setVisible(!text.isEmpty());
}

void RunStatusBar::ShowConnecting(const QString& text) {
    if (text.isEmpty()) {
        clearMessage();
    } else {
        showMessage(text);
    }
}

QString RunStatusBar::TelemetryText() const {
    return m_telemetry->text();
}

void RunStatusBar::ShowPaused(bool paused) {
    m_paused->setVisible(paused);
}

void RunStatusBar::ShowEarlierLog(const QString& path) {
    m_earlierLog->setText(
        path.isEmpty() ? QString()
                       : QStringLiteral("Earlier log kept as %1").arg(QFileInfo(path).fileName()));
    m_earlierLog->setToolTip(path);
    m_earlierLog->setVisible(!path.isEmpty());
}

QString RunStatusBar::PausedText() const {
    return m_paused->isHidden() ? QString() : m_paused->text();
}

QString RunStatusBar::EarlierLogText() const {
    return m_earlierLog->text();
}
