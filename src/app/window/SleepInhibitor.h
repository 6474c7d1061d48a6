#pragma once

#include <QObject>
#include <QString>

// Keeps the computer from sleeping while a test runs: a sleeping computer
// stops the measurement and leaves the load as the last step set it.
// On Linux it asks logind for a "sleep:idle" block over the system bus and
// falls back to the desktop's screen saver service on the session bus; on
// Windows it sets the thread's execution state. The requests are sent
// without waiting for an answer, so a slow bus never holds up the window.
// When nothing answers (no D-Bus, as in CI) the run goes on regardless; only
// a debug line tells.
class SleepInhibitor : public QObject {
    Q_OBJECT

  public:
    explicit SleepInhibitor(QObject* parent = nullptr);
    ~SleepInhibitor() override;

    void Inhibit(const QString& reason);
    void Release();
    bool Wanted() const { return m_wanted; }
    // True once a service has granted the block and it is still held.
    bool Held() const;

  private:
    void AskLogind();
    void AskScreenSaver();
    void UnInhibitScreenSaver(quint32 cookie);
    void DropGrants();

    bool m_wanted = false;
    QString m_reason;
    int m_logindFd = -1;
    quint32 m_screenSaverCookie = 0;
    bool m_screenSaverHeld = false;
    bool m_windowsHeld = false;
    // Requests still on the way carry the generation they were sent in; an
    // answer from an older one is dropped at once.
    int m_generation = 0;
};
