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
        Voltage,         // mean of the phases at the last point
        Current,         // sum of the phases
        Power,           // sum of the phases
        Resistance,      // shown, never measured
        AmpHours,        // charge since the step (or run) began
        KilowattHours,   // energy since the step (or run) began
        Loop1Count,      // passes left in the FOR loop
        Loop2Count,      // passes left in the FOR2 loop
        DateTime,        // the clock
        Activity,        // the turning mark while the run works
        LoadCount,       // loads that answered the connection pass
        SerialNumber,    // of the item under test; names the data log
        ChannelCaption,  // "Channel - 1", with "  Pause" and the like added
        LogFilePath,     // the data log of the running test
        StepProgress,    // "Step 3 DisCharge 12/60 s" for the status line
        TestAmpHours,    // charge of the whole test, all steps (discharge counts up)
        TestWattHours,   // energy of the whole test, all steps
        TextCount
    };

    // Controls whose enabled state the run switches.
    enum Control : int {
        StartButton,
        CheckButton,
        LimitsButton,
        StopButton,
        PauseButton,
        AddStepButton,
        DeleteStepButton,
        InsertStepButton,
        SaveButton,
        OpenButton,
        ConnectButton,
        MoveUpButton,
        MoveDownButton,
        SerialNumberBox,
        ControlCount
    };

    // Background of the channel frame: the system button face when idle,
    // orange (RGB 255, 128, 0) while a run goes.
    enum class FrameBackground { ButtonFace, Running };
    static constexpr unsigned kRunningRgb = 0xFF8000;
    // A dark red: readable (contrast above 4.5:1) on the idle frame.
    static constexpr unsigned kLoadErrorRgb = 0xB00000;

    explicit Displays(QObject* parent = nullptr);

    QString Get(Text id) const { return m_texts[static_cast<size_t>(id)]; }
    void Set(Text id, const QString& text);
    // Numeric value of a box, as the end checks read it.
    double Value(Text id) const;

    bool IsEnabled(Control id) const { return m_enabled[static_cast<size_t>(id)]; }
    void SetEnabled(Control id, bool enabled);

    FrameBackground ChannelBackground() const { return m_channelBackground; }
    void SetChannelBackground(FrameBackground background);
    bool ChannelCaptionRed() const { return m_channelCaptionRed; }
    void SetChannelCaptionRed(bool red);

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
    FrameBackground m_channelBackground = FrameBackground::ButtonFace;
    bool m_channelCaptionRed = false;
    double m_stepElapsed = 0;
    double m_stepDwell = 0;
};

// The channel frame's caption: "Channel - <n>".
QString ChannelCaptionText(int channelNumber);
