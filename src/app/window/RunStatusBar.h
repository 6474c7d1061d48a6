#pragma once

#include <QStatusBar>

class Displays;
class QLabel;
class QProgressBar;

// The window's bottom line: the running step and its action, how much of its
// dwell time has passed, and the data log being written.
class RunStatusBar : public QStatusBar {
    Q_OBJECT

  public:
    explicit RunStatusBar(Displays& displays, QWidget* parent = nullptr);

    // The run ended: the step line empties, the log path stays to be found.
    void ShowIdle();
    // A lasting remark about the session, such as the simulated load in use.
    void ShowNote(const QString& text);

    QString StepText() const;
    int ProgressPermille() const;
    QString LogText() const;

  private:
    void ShowStep(const QString& text);
    void ShowLog(const QString& path);

    Displays& m_displays;
    QLabel* m_step;
    QProgressBar* m_progress;
    QLabel* m_log;
    QLabel* m_note;
};
