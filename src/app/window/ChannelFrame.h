#pragma once

#include <QGroupBox>

class DisplayBinding;
class Displays;
class QLineEdit;
class QPushButton;
class Station;

// The channel frame (object name "Frame2", which tests find it by): the run
// buttons (Check among them), the serial number that names the data log, the
// loop counters and the activity marks. Its caption and colours tell at a
// glance whether a run goes (orange) or the load failed (red caption).
class ChannelFrame : public QGroupBox {
    Q_OBJECT

  public:
    ChannelFrame(Station& station, DisplayBinding& binding, QWidget* parent = nullptr);

  signals:
    // The operator asked for the safety limits dialog.
    void limitsRequested();

  private:
    void ShowColours();

    Displays& m_displays;
    QPushButton* m_start;
    QPushButton* m_check;
    QPushButton* m_limits;
    QPushButton* m_stop;
    QPushButton* m_pause;
    QLineEdit* m_serial;
};
