#include "ChannelFrame.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DisplayBinding.h"
#include "Station.h"

namespace {
QPushButton* RunButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumHeight(32);
    return button;
}

QLineEdit* ReadOnlyBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

QLabel* Indicator(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(24);
    label->setFrameShape(QFrame::StyledPanel);
    return label;
}
}  // namespace

ChannelFrame::ChannelFrame(Station& station, DisplayBinding& binding, QWidget* parent)
    : QGroupBox(parent), m_displays(station.Views()) {
    setObjectName(QStringLiteral("Frame2"));
    setAutoFillBackground(true);

    // The frame's colours are for its caption and background only; the
    // controls inside keep the ordinary text colours.
    auto* body = new QWidget(this);
    QPalette bodyPalette;
    const QPalette normal = QApplication::palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
            bodyPalette.setColor(group, role, normal.color(group, role));
        }
    }
    body->setPalette(bodyPalette);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(body);

    m_start = RunButton(QStringLiteral("StartCommand"), QStringLiteral("Start Test"), body);
    m_check = RunButton(QStringLiteral("CheckCommand"), QStringLiteral("Check"), body);
    m_check->setToolTip(
        QStringLiteral("Checks the step table for errors and warnings and estimates how long "
                       "the test runs at most; Start Test runs the same check first"));
    m_limits = RunButton(QStringLiteral("LimitsCommand"), QStringLiteral("Limits..."), body);
    m_limits->setToolTip(
        QStringLiteral("Safety limits of the test: voltage, current, power and test time that "
                       "switch the load off and stop or pause the test"));
    m_start->setToolTip(
        QStringLiteral("Runs the test from step 1 after the check; after a pause, goes on "
                       "where it stopped"));
    m_stop = RunButton(QStringLiteral("StopCommand"), QStringLiteral("Stop Test"), body);
    m_stop->setToolTip(
        QStringLiteral("Ends the test: the load is switched off and the data log closed"));
    m_pause = RunButton(QStringLiteral("PauseCommand"), QStringLiteral("Pause Test"), body);
    m_pause->setToolTip(
        QStringLiteral("Holds the test and switches the load off; Start Test goes on, the "
                       "paused time not counted"));
    auto* serialLabel = new QLabel(QStringLiteral("SN :"), body);
    serialLabel->setObjectName(QStringLiteral("Label4"));
    m_serial = new QLineEdit(body);
    m_serial->setObjectName(QStringLiteral("SNText"));
    m_serial->setToolTip(
        QStringLiteral("Serial number of the item under test; it names the "
                       "data log"));
    auto* loop1 = ReadOnlyBox(QStringLiteral("Loop1Text"), body);
    loop1->setToolTip(QStringLiteral("Passes left in the FOR loop"));
    auto* loop2 = ReadOnlyBox(QStringLiteral("Loop2Text"), body);
    loop2->setToolTip(QStringLiteral("Passes left in the FOR2 loop"));
    auto* work = Indicator(QStringLiteral("WorkLabel"), body);
    work->setToolTip(QStringLiteral("Turns while the run works"));
    auto* loads = Indicator(QStringLiteral("LoadCountLabel"), body);
    loads->setToolTip(QStringLiteral("Loads connected"));

    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(0, 0, 0, 0);
    // Two rows: the frame has height to spare, and the width five buttons in
    // a row would take goes to the live chart.
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_start, 0, 0);
    buttons->addWidget(m_stop, 0, 1);
    buttons->addWidget(m_pause, 0, 2);
    buttons->addWidget(m_check, 1, 0);
    buttons->addWidget(m_limits, 1, 1);
    grid->addLayout(buttons, 0, 0, 1, 6);
    grid->addWidget(serialLabel, 1, 0);
    grid->addWidget(m_serial, 1, 1, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("Loop1"), body), 2, 0);
    grid->addWidget(loop1, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Loop2"), body), 2, 3);
    grid->addWidget(loop2, 2, 4, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Loads"), body), 3, 0);
    grid->addWidget(loads, 3, 1);
    grid->addWidget(work, 3, 5);
    grid->setRowStretch(4, 1);

    binding.Bind(Displays::ChannelCaption, [this](const QString& text) { setTitle(text); });
    binding.BindEditable(Displays::SerialNumber, m_serial);
    binding.Bind(Displays::Loop1Count, loop1);
    binding.Bind(Displays::Loop2Count, loop2);
    binding.Bind(Displays::Activity, work);
    binding.Bind(Displays::LoadCount, loads);
    binding.BindEnabled(Displays::StartButton, m_start);
    binding.BindEnabled(Displays::CheckButton, m_check);
    binding.BindEnabled(Displays::LimitsButton, m_limits);
    binding.BindEnabled(Displays::StopButton, m_stop);
    binding.BindEnabled(Displays::PauseButton, m_pause);
    binding.BindEnabled(Displays::SerialNumberBox, m_serial);

    connect(m_start, &QPushButton::clicked, &station, &Station::Start);
    connect(m_check, &QPushButton::clicked, &station, &Station::ShowCheck);
    connect(m_limits, &QPushButton::clicked, this, &ChannelFrame::limitsRequested);
    connect(m_stop, &QPushButton::clicked, &station, &Station::Stop);
    connect(m_pause, &QPushButton::clicked, &station, &Station::Pause);
    connect(&m_displays, &Displays::frameChanged, this, &ChannelFrame::ShowColours);
    ShowColours();
}

void ChannelFrame::ShowColours() {
    const QPalette normal = QApplication::palette();
    QPalette frame = palette();
    frame.setColor(QPalette::Window,
                   m_displays.ChannelBackground() == Displays::FrameBackground::Running
                       ? QColor::fromRgb(Displays::kRunningRgb)
                       : normal.color(QPalette::Button));
    const QColor caption = m_displays.ChannelCaptionRed() ? QColor::fromRgb(Displays::kLoadErrorRgb)
                                                          : normal.color(QPalette::ButtonText);
    frame.setColor(QPalette::WindowText, caption);
    frame.setColor(QPalette::Text, caption);
    setPalette(frame);
}
