#include "MeasurementValueFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "DisplayBinding.h"
#include "GridLook.h"
#include "PhaseGrid.h"
#include "TestFile.h"
#include "TextColourDelegate.h"

namespace {
struct ValueBox {
    Displays::Text id;
    const char* name;
    const char* caption;
    const char* unit;
    const char* meaning;
};

constexpr ValueBox kValueBoxes[] = {
    {Displays::Voltage, "VoltageText", "Voltage", "V",
     "Mean voltage of the phases at the last point; the stop voltages are compared with it"},
    {Displays::Current, "CurrentText", "Current", "A",
     "Total current of the phases at the last point"},
    {Displays::Power, "PowerText", "Power", "W", "Total power of the phases at the last point"},
    {Displays::Resistance, "ResText", "Resistance", "Ohm", "Not measured"},
    {Displays::AmpHours, "AHText", "Capacity", "Ah",
     "Charge since the step (or its loop pass) began; the stop Ah is compared with it"},
    {Displays::KilowattHours, "KWHText", "Energy", "kWh",
     "Energy since the step (or its loop pass) began"},
    // The whole test's, below the step's own; they stay when the run ends.
    {Displays::TestAmpHours, "TestAHText", "Test", "Ah", nullptr},
    {Displays::TestWattHours, "TestWHText", "Test", "Wh", nullptr},
};
}  // namespace

MeasurementValueFrame::MeasurementValueFrame(DisplayBinding& binding, PhaseGrid& phases,
                                             TestDocument& test, QWidget* parent)
    : QGroupBox(QStringLiteral("Measurement Value"), parent), m_test(test) {
    setObjectName(QStringLiteral("MeasurementFrame"));
    BuildPhaseView(phases);
    m_readingsCaption = new QLabel(this);
    m_readingsCaption->setObjectName(QStringLiteral("ReadingsCaptionLabel"));
    m_readingsCaption->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_readingsCaption);
    layout->addWidget(BuildValueBoxes(binding));
    layout->addWidget(m_phaseView);
    layout->addWidget(BuildOptionBoxes());
    layout->addStretch(1);

    connect(&m_test, &TestDocument::optionsChanged, this, &MeasurementValueFrame::ShowOptions);
    connect(&m_test, &TestDocument::loaded, this, &MeasurementValueFrame::ShowOptions);
    ShowOptions();
}

QWidget* MeasurementValueFrame::BuildValueBoxes(DisplayBinding& binding) {
    auto* boxes = new QWidget(this);
    auto* grid = new QGridLayout(boxes);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const ValueBox& value : kValueBoxes) {
        auto* box = new QLineEdit(boxes);
        box->setObjectName(QString::fromLatin1(value.name));
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignRight);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000.00000000")));
        // One column: the frame has height to spare beside the connection
        // frames, and the width it leaves goes to the live chart.
        grid->addWidget(new QLabel(QString::fromLatin1(value.caption), boxes), row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(value.unit), boxes), row, 2);
        ++row;
        if (value.id == Displays::TestAmpHours || value.id == Displays::TestWattHours) {
            box->setToolTip(
                QStringLiteral("Of the whole test, all steps (discharge counts up); "
                               "kept when the run ends"));
        } else {
            box->setToolTip(QString::fromLatin1(value.meaning));
            m_readingBoxes << box;
        }
        binding.Bind(value.id, box);
    }
    return boxes;
}

void MeasurementValueFrame::BuildPhaseView(PhaseGrid& phases) {
    m_phaseView = new QTableView(this);
    m_phaseView->setObjectName(QStringLiteral("grdPhase3"));
    m_phaseView->setModel(&phases);
    SetUpReadOnlyGrid(m_phaseView, {960, 1250, 1250, 1100});
    // A phase missing from the load's reply shows in the system's grey text.
    const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    m_phaseView->setItemDelegate(new TextColourDelegate(
        [grey](const QModelIndex& index) {
            return index.data(PhaseGrid::kGreyRole).toBool() ? grey : QColor();
        },
        m_phaseView));
    m_phaseView->setFixedHeight(FullGridHeight(m_phaseView, PhaseGrid::kRows - 1));
}

QWidget* MeasurementValueFrame::BuildOptionBoxes() {
    const char* names[kOptionCount] = {"Check1", "Check2", "Check3", "Check4", "Check5", "Check7"};
    const char* captions[kOptionCount] = {"Voltage", "Current", "Power", "kWh", "Ah", "Resistant"};
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kOptionCount; ++i) {
        m_options[i] = new QCheckBox(QString::fromLatin1(captions[i]), row);
        m_options[i]->setObjectName(QString::fromLatin1(names[i]));
        layout->addWidget(m_options[i]);
        const auto option = static_cast<Option>(i);
        connect(m_options[i], &QCheckBox::clicked, this, [this, option] { OptionClicked(option); });
    }
    layout->addStretch(1);
    // kWh, Ah and Resistant pass from the file loaded to the file saved.
    for (Option hidden : {kKwh, kAh, kResistant}) {
        m_options[hidden]->hide();
    }
    return row;
}

void MeasurementValueFrame::ShowOptions() {
    const TestOptions& options = m_test.Options();
    m_options[kVoltage]->setChecked(options.measureVoltage == 1);
    m_options[kCurrent]->setChecked(options.measureCurrent == 1);
    m_options[kPower]->setChecked(options.measurePower == 1);
    m_options[kKwh]->setChecked(options.measureKwh == 1);
    m_options[kAh]->setChecked(options.measureCapability == 1);
    m_options[kResistant]->setChecked(options.measureResistant == 1);
}

void MeasurementValueFrame::OptionClicked(Option option) {
    if (option == kVoltage || option == kCurrent || option == kPower) {
        m_options[option]->setChecked(true);  // these three are always measured
    }
    // Only the clicked option changes; the others keep what the file held.
    TestOptions options = m_test.Options();
    const int ticked = m_options[option]->isChecked() ? 1 : 0;
    switch (option) {
        case kVoltage:
            options.measureVoltage = ticked;
            break;
        case kCurrent:
            options.measureCurrent = ticked;
            break;
        case kPower:
            options.measurePower = ticked;
            break;
        case kKwh:
            options.measureKwh = ticked;
            break;
        case kAh:
            options.measureCapability = ticked;
            break;
        case kResistant:
            options.measureResistant = ticked;
            break;
        case kOptionCount:
            return;
    }
    m_test.SetOptions(options);
}

void MeasurementValueFrame::ShowLive() {
    m_lastReadings = false;
    m_readingsCaption->hide();
    GreyReadings(false);
}

void MeasurementValueFrame::ShowLastReadings(const QString& caption) {
    m_lastReadings = true;
    m_readingsCaption->setText(caption);
    m_readingsCaption->show();
    GreyReadings(true);
}

QString MeasurementValueFrame::ReadingsCaption() const {
    return m_lastReadings ? m_readingsCaption->text() : QString();
}

void MeasurementValueFrame::GreyReadings(bool grey) {
    const QPalette normal = QApplication::palette();
    const QColor text = normal.color(grey ? QPalette::Disabled : QPalette::Active, QPalette::Text);
    QList<QWidget*> readings{m_readingBoxes.begin(), m_readingBoxes.end()};
    readings << m_phaseView;
    for (QWidget* reading : std::as_const(readings)) {
        QPalette palette = reading->palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Text, text);
        }
        reading->setPalette(palette);
    }
}
