#pragma once

#include <QStatusBar>

class Displays;
class QLabel;
class QProgressBar;

// The window's bottom line: the running step and its action, how much of its
// dwell time has passed, the data log being written, and where the load is
// that Start connects.
class RunStatusBar : public QStatusBar {
    Q_OBJECT

  public:
    explicit RunStatusBar(Displays& displays, QWidget* parent = nullptr);

    // The run ended: the step line empties, the log path stays to be found.
    void ShowIdle();
    // A lasting remark about the session, such as example files copied.
    void ShowNote(const QString& text);
    // Where channel 1's load really is ("Load on LAN 192.168.16.128:4001",
    // "Simulated load on 127.0.0.1:40123").
    void ShowLoadPlace(const QString& text);
    // Where the lab's telemetry stands; empty hides it (no broker set).
    void ShowTelemetry(const QString& text);
    // What the connection pass is doing ("Connecting to 127.0.0.1:4001...");
    // empty when it is over.
    void ShowConnecting(const QString& text);
    // "Paused" while the run is paused.
    void ShowPaused(bool paused);
    // The run's start moved an earlier data log of the same serial number to
    // `path`; "" when it moved none.
    void ShowEarlierLog(const QString& path);

    QString StepText() const;
    int ProgressPermille() const;
    QString LogText() const;
    QString LoadPlaceText() const;
    QString TelemetryText() const;
    QString PausedText() const;
    QString EarlierLogText() const;

  private:
    void ShowStep(const QString& text);
    void ShowLog(const QString& path);

    Displays& m_displays;
    QLabel* m_step;
    QProgressBar* m_progress;
    QLabel* m_log;
    QLabel* m_note;
    QLabel* m_loadPlace;
    QLabel* m_telemetry;
    QLabel* m_paused;
    QLabel* m_earlierLog;
};
