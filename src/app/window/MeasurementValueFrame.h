#pragma once

#include <QGroupBox>
#include <QList>
#include <array>

class DisplayBinding;
class PhaseGrid;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;
class TestDocument;

// "Measurement Value": the single-value boxes, the per-phase grid grdPhase3
// and the measurement option check boxes of the test.
class MeasurementValueFrame : public QGroupBox {
    Q_OBJECT

  public:
    MeasurementValueFrame(DisplayBinding& binding, PhaseGrid& phases, TestDocument& test,
                          QWidget* parent = nullptr);

    QTableView* PhaseView() const { return m_phaseView; }

    // While a run goes the boxes and the phase grid are live. Once it ended
    // they hold its last readings: greyed, under `caption` ("Last readings at
    // 14:03:12"), so that no one takes them for the load's present state. The
    // test's Ah and Wh stay as they are.
    void ShowLive();
    void ShowLastReadings(const QString& caption);
    bool ShowsLastReadings() const { return m_lastReadings; }
    QString ReadingsCaption() const;

  private:
    enum Option : int { kVoltage, kCurrent, kPower, kKwh, kAh, kResistant, kOptionCount };

    QWidget* BuildValueBoxes(DisplayBinding& binding);
    QWidget* BuildOptionBoxes();
    void BuildPhaseView(PhaseGrid& phases);
    void ShowOptions();
    void OptionClicked(Option option);
    void GreyReadings(bool grey);

    TestDocument& m_test;
    QTableView* m_phaseView = nullptr;
    QLabel* m_readingsCaption = nullptr;
    QList<QLineEdit*> m_readingBoxes;
    bool m_lastReadings = false;
    std::array<QCheckBox*, kOptionCount> m_options{};
};
