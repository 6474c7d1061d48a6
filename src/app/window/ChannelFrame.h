#pragma once

#include <QGroupBox>

class DisplayBinding;
class Displays;
class QLineEdit;
class QPushButton;
class Station;

// The channel frame "Frame2": the run buttons (Check among them), the serial number that names
// the data log, the loop counters and the activity marks. Its caption and
// colours tell at a glance whether a run goes (orange) or the load failed
// (red caption).
class ChannelFrame : public QGroupBox {
    Q_OBJECT

  public:
    ChannelFrame(Station& station, DisplayBinding& binding, QWidget* parent = nullptr);

    QPushButton* StartButton() const { return m_start; }
    QPushButton* CheckButton() const { return m_check; }
    QPushButton* StopButton() const { return m_stop; }
    QPushButton* PauseButton() const { return m_pause; }
    QLineEdit* SerialBox() const { return m_serial; }

  private:
    void ShowColours();

    Displays& m_displays;
    QPushButton* m_start;
    QPushButton* m_check;
    QPushButton* m_stop;
    QPushButton* m_pause;
    QLineEdit* m_serial;
};
