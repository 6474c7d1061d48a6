#pragma once

#include <QObject>
#include <QString>
#include <array>

// The window's value boxes, labels and run indicators as the engine writes
// them. The window binds its widgets to this object; the headless runner
// reads it. Nothing here knows about widgets.
class Displays : public QObject {
    Q_OBJECT

  public:
    enum Text : int {
        VoltageText,
        CurrentText,
        PowerText,
        ResText,
        AHText,
        KWHText,
        Loop1Text,
        Loop2Text,
        TimeText,
        WorkLabel,
        LoadCountLabel,
        SNText,
        Frame2Caption,
        LogFilePath,   // the data log of the running test
        StepProgress,  // "Step 3 DisCharge 12/60 s" for the status line
        TextCount
    };

    // Controls whose enabled state the run switches.
    enum Control : int {
        StartCommand,
        CheckCommand,
        StopCommand,
        PauseCommand,
        AddCommand,
        DelCommand,
        InsCommand,
        SaveCommand,
        OpenCommand,
        ConnectCommand,
        MoveUpCommand,
        MoveDnCommand,
        SNTextControl,
        ControlCount
    };

    // Background of the channel frame: the system button face when idle,
    // orange (RGB 255, 128, 0) while a run goes.
    enum class FrameBackground { ButtonFace, Running };
    static constexpr unsigned kRunningRgb = 0xFF8000;
    static constexpr unsigned kLoadErrorRgb = 0xFF0000;

    explicit Displays(QObject* parent = nullptr);

    QString Get(Text id) const { return m_texts[static_cast<size_t>(id)]; }
    void Set(Text id, const QString& text);
    // Numeric value of a box, as the end checks read it.
    double Value(Text id) const;

    bool IsEnabled(Control id) const { return m_enabled[static_cast<size_t>(id)]; }
    void SetEnabled(Control id, bool enabled);

    FrameBackground Frame2Background() const { return m_frameBackground; }
    void SetFrame2Background(FrameBackground background);
    bool Frame2CaptionRed() const { return m_frameCaptionRed; }
    void SetFrame2CaptionRed(bool red);

    // Progress of the running step, for the status line (dwell 0 = none).
    double StepElapsed() const { return m_stepElapsed; }
    double StepDwell() const { return m_stepDwell; }
    void SetStepProgress(int step, const QString& action, double elapsed, double dwell);

  signals:
    void textChanged(Displays::Text id, const QString& text);
    void enabledChanged(Displays::Control id, bool enabled);
    void frameChanged();

  private:
    std::array<QString, TextCount> m_texts;
    std::array<bool, ControlCount> m_enabled{};
    FrameBackground m_frameBackground = FrameBackground::ButtonFace;
    bool m_frameCaptionRed = false;
    double m_stepElapsed = 0;
    double m_stepDwell = 0;
};
