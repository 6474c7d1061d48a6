#pragma once

#include <QGroupBox>
#include <array>

class DisplayBinding;
class PhaseGrid;
class QCheckBox;
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

  private:
    enum Option : int { kVoltage, kCurrent, kPower, kKwh, kAh, kResistant, kOptionCount };

    QWidget* BuildValueBoxes(DisplayBinding& binding);
    QWidget* BuildOptionBoxes();
    void BuildPhaseView(PhaseGrid& phases);
    void ShowOptions();
    void OptionClicked(Option option);

    TestDocument& m_test;
    QTableView* m_phaseView = nullptr;
    std::array<QCheckBox*, kOptionCount> m_options{};
};
