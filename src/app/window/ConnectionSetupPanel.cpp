#include "ConnectionSetupPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "LoadConnection.h"
#include "NumberText.h"
#include "Operator.h"
#include "SerialPortName.h"

namespace {
constexpr int kHighestPortNumber = 32;  // COM ports and GPIB addresses 00 ... 32
constexpr int kLargestTcpPort = 65535;
constexpr int kLargestShort = 32767;

// The medium buttons from top to bottom, each labelled by the box beside it.
struct MediumChoice {
    Medium medium;
    const char* caption;
};
constexpr MediumChoice kMediumChoices[ConnectionSetupPanel::kMediumCount] = {
    {Medium::Lan, "LAN"}, {Medium::Serial, "RS232/USB"}, {Medium::Gpib, "GPIB"}};

QStringList TwoDigitNumbers() {
    QStringList items;
    for (int n = 0; n <= kHighestPortNumber; ++n) {
        items << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    }
    return items;
}

QComboBox* Picker(const QString& name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

QLineEdit* NumberBox(const QString& name, int largest, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(new QIntValidator(0, largest, box));
    return box;
}
}  // namespace

ConnectionSetupPanel::ConnectionSetupPanel(LoadConnection& connection, Operator& op,
                                           QWidget* parent)
    : QGroupBox(QStringLiteral("Load Connection Setup"), parent),
      m_connection(connection),
      m_operator(op),
      m_media(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("ConnectionFrame"));
    setAutoFillBackground(true);  // it is shown over the window's other frames

    auto* grid = new QGridLayout;
    BuildMediumRows(grid);
    BuildRs485Row(grid);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("ConnectOKCommand"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("ConnectCancelCommand"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(BuildPowerGroup());
    layout->addLayout(buttons);
    ExplainControls();

    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (WriteEntries()) {
            emit accepted();
        }
    });
    connect(m_cancel, &QPushButton::clicked, this, &ConnectionSetupPanel::cancelled);
    connect(m_comPort, &QComboBox::currentTextChanged, this,
            &ConnectionSetupPanel::ShowSerialDevice);
    connect(&m_connection, &LoadConnection::panelChanged, this, &ConnectionSetupPanel::Refresh);
    connect(m_media, &QButtonGroup::idToggled, this,
            &ConnectionSetupPanel::EnableChosenMediumFields);
    Refresh();
}

void ConnectionSetupPanel::BuildMediumRows(QGridLayout* grid) {
    for (int i = 0; i < ConnectionPanel::kEnableBoxes; ++i) {
        const QString caption = i < kMediumCount ? QString::fromLatin1(kMediumChoices[i].caption)
                                                 : QString::number(i + 1);
        m_enableBox[i] = new QCheckBox(caption, this);
        m_enableBox[i]->setObjectName(QStringLiteral("LoadCheck_%1").arg(i));
        m_enableBox[i]->setVisible(i < kMediumCount);
    }
    m_enableBox[0]->setToolTip(
        QStringLiteral("Channel 1 in use: a serial load is connected only while this is "
                       "ticked; a load that answered is switched off at Stop in any case"));
    for (int i = 0; i < kMediumCount; ++i) {
        // The radio button chooses the medium; the box beside it is its caption.
        m_mediumChoice[i] = new QRadioButton(this);
        m_mediumChoice[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_mediumChoice[i]->setAccessibleName(QString::fromLatin1(kMediumChoices[i].caption));
        m_mediumChoice[i]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_media->addButton(m_mediumChoice[i], i);
        grid->addWidget(m_mediumChoice[i], i, 0);
        grid->addWidget(m_enableBox[i], i, 1);
    }

    m_ip = new QLineEdit(this);
    m_ip->setObjectName(QStringLiteral("txtIP"));
    m_port = NumberBox(QStringLiteral("txtPort"), kLargestTcpPort, this);
    grid->addWidget(new QLabel(QStringLiteral("Load IP"), this), 0, 2);
    grid->addWidget(m_ip, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("PORT"), this), 0, 4);
    grid->addWidget(m_port, 0, 5);

    m_comPort = Picker(QStringLiteral("LoadComPortCombo_0"), TwoDigitNumbers(), this);
    m_serialDevice = new QLabel(this);
    m_serialDevice->setObjectName(QStringLiteral("SerialDeviceLabel"));
    m_baudRate = Picker(QStringLiteral("LoadBaudRateCombo_0"),
                        {QStringLiteral("9600"), QStringLiteral("115200")}, this);
    auto* com = new QHBoxLayout;
    com->addWidget(m_comPort);
    com->addWidget(m_serialDevice, 1);
    grid->addWidget(new QLabel(QStringLiteral("COM"), this), 1, 2);
    grid->addLayout(com, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("BaudRate"), this), 1, 4);
    grid->addWidget(m_baudRate, 1, 5);

    m_gpibAddress = Picker(QStringLiteral("LoadComPortCombo_1"), TwoDigitNumbers(), this);
    grid->addWidget(new QLabel(QStringLiteral("Address"), this), 2, 2);
    grid->addWidget(m_gpibAddress, 2, 3);

    auto* hidden = new QWidget(this);
    hidden->hide();
    for (int i = kMediumCount; i < ConnectionPanel::kEnableBoxes; ++i) {
        m_enableBox[i]->setParent(hidden);
    }
}

void ConnectionSetupPanel::ExplainControls() {
    for (int i = 1; i < kMediumCount; ++i) {
        m_enableBox[i]->setToolTip(
            QStringLiteral("Channel %1's box; only channel 1 is driven").arg(i + 1));
    }
    for (int i = 0; i < kMediumCount; ++i) {
        m_mediumChoice[i]->setToolTip(
            QStringLiteral("Reach the load over %1").arg(kMediumChoices[i].caption));
    }
    m_ip->setToolTip(
        QStringLiteral("IPv4 address or host name of the load on the LAN "
                       "(factory setting 192.168.16.128)"));
    m_port->setToolTip(QStringLiteral("TCP port of the load (factory setting 4001)"));
    m_comPort->setToolTip(
        QStringLiteral("Serial port of the load (RS-232 or USB); the device it opens shows "
                       "beside it"));
    m_baudRate->setToolTip(QStringLiteral("Speed of the serial port; the load must be set alike"));
    m_gpibAddress->setToolTip(QStringLiteral("GPIB primary address of the load"));
    m_rs485->setToolTip(
        QStringLiteral("The serial line runs through an RS-232 to RS-485 converter"));
    m_rs485Id->setToolTip(QStringLiteral("RS-485 ID of the load"));
    m_unitCount->setToolTip(QStringLiteral("Number of power units on the RS-485 line"));
    m_ok->setToolTip(
        QStringLiteral("Stores the connection in TRIO.INI and in the test file, and saves the "
                       "test"));
    m_cancel->setToolTip(QStringLiteral("Closes the panel; nothing is stored"));
}

void ConnectionSetupPanel::BuildRs485Row(QGridLayout* grid) {
    m_rs485 = new QCheckBox(QStringLiteral("RS-232 to RS-485"), this);
    m_rs485->setObjectName(QStringLiteral("PS485Check"));
    m_rs485Id = NumberBox(QStringLiteral("PS485IDText"), kLargestShort, this);
    m_rs485Id->setText(QStringLiteral("001"));
    m_unitCount = NumberBox(QStringLiteral("MSCountText"), kLargestShort, this);
    m_unitCount->setText(QStringLiteral("1"));
    const int row = kMediumCount;
    grid->addWidget(m_rs485, row, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("ID"), this), row, 2);
    grid->addWidget(m_rs485Id, row, 3);
    grid->addWidget(new QLabel(QStringLiteral("Power Count"), this), row, 4);
    grid->addWidget(m_unitCount, row, 5);
}

QGroupBox* ConnectionSetupPanel::BuildPowerGroup() {
    auto* group = new QGroupBox(QStringLiteral("Power - "), this);
    auto* row = new QHBoxLayout(group);
    row->addWidget(new QLabel(QStringLiteral("COM"), group));
    QComboBox* port = Picker(QStringLiteral("PSComPortCombo"), TwoDigitNumbers(), group);
    port->setToolTip(QStringLiteral("Serial port of a power meter; no power meter is driven"));
    row->addWidget(port);
    row->addWidget(new QLabel(QStringLiteral("BaudRate"), group));
    QComboBox* speed =
        Picker(QStringLiteral("PSBaudRateCombo"),
               {QStringLiteral("9600"), QStringLiteral("38400"), QStringLiteral("115200")}, group);
    speed->setToolTip(QStringLiteral("Speed of the power meter's serial port"));
    row->addWidget(speed);
    row->addStretch(1);
    return group;
}

void ConnectionSetupPanel::ShowComboText(QComboBox* combo, const QString& text) {
    // A stored value outside the list is shown as it is, so that OK writes it
    // back unchanged instead of silently taking the first item.
    if (combo->findText(text) < 0) {
        combo->addItem(text);
    }
    combo->setCurrentText(text);
}

void ConnectionSetupPanel::Refresh() {
    const ConnectionPanel& data = m_connection.Panel();
    m_media->setExclusive(false);
    for (int i = 0; i < kMediumCount; ++i) {
        m_mediumChoice[i]->setChecked(data.medium == kMediumChoices[i].medium);
    }
    m_media->setExclusive(true);
    for (int i = 0; i < ConnectionPanel::kEnableBoxes; ++i) {
        m_enableBox[i]->setChecked(data.channelEnabled[i]);
    }
    m_ip->setText(data.ip);
    m_port->setText(data.port);
    ShowComboText(m_comPort, data.comPort);
    ShowComboText(m_baudRate, data.baudRate);
    ShowComboText(m_gpibAddress, data.gpibAddress);
    m_rs485->setChecked(data.rs485);
    m_rs485Id->setText(data.rs485Id);
    m_unitCount->setText(data.unitCount);
    ShowSerialDevice();
    EnableChosenMediumFields();
}

void ConnectionSetupPanel::ShowSerialDevice() {
    const int comPort = RoundedInteger(NumericValue(m_comPort->currentText()));
    const QString device = SerialPortName(comPort, m_connection.SettingsPath());
    m_serialDevice->setText(device.isEmpty() ? QStringLiteral("(none)") : device);
}

std::optional<Medium> ConnectionSetupPanel::ChosenMedium() const {
    const int chosen = m_media->checkedId();  // -1 when nothing is chosen
    return chosen >= 0 ? std::optional<Medium>(kMediumChoices[chosen].medium) : std::nullopt;
}

void ConnectionSetupPanel::EnableChosenMediumFields() {
    const std::optional<Medium> medium = ChosenMedium();
    const bool lan = medium == Medium::Lan;
    const bool serial = medium == Medium::Serial;
    for (QWidget* field : std::initializer_list<QWidget*>{m_ip, m_port}) {
        field->setEnabled(lan);
    }
    for (QWidget* field : std::initializer_list<QWidget*>{m_comPort, m_serialDevice, m_baudRate,
                                                          m_rs485, m_rs485Id, m_unitCount}) {
        field->setEnabled(serial);
    }
    m_gpibAddress->setEnabled(medium == Medium::Gpib);
}

bool ConnectionSetupPanel::EntriesSound() {
    // Only the chosen medium's entries are used, so only they are checked.
    if (ChosenMedium() != Medium::Lan) {
        return true;
    }
    ConnectionPanel typed;
    typed.ip = m_ip->text();
    const QString ipProblem = typed.IpProblem();
    if (!ipProblem.isEmpty()) {
        m_operator.ShowMessage(ipProblem);
        m_ip->setFocus();
        return false;
    }
    bool ok = false;
    const int port = m_port->text().trimmed().toInt(&ok);
    if (!ok || port < 1 || port > kLargestTcpPort) {
        m_operator.ShowMessage(
            QStringLiteral("PORT must be a whole number from 1 to %1.").arg(kLargestTcpPort));
        return false;
    }
    return true;
}

bool ConnectionSetupPanel::WriteEntries() {
    if (!EntriesSound()) {
        return false;
    }
    ConnectionPanel& data = m_connection.Panel();
    data.medium = ChosenMedium();
    for (int i = 0; i < ConnectionPanel::kEnableBoxes; ++i) {
        data.channelEnabled[i] = m_enableBox[i]->isChecked();
    }
    data.ip = m_ip->text().trimmed();
    data.port = m_port->text().trimmed();
    data.comPort = m_comPort->currentText();
    data.baudRate = m_baudRate->currentText();
    data.gpibAddress = m_gpibAddress->currentText();
    data.rs485 = m_rs485->isChecked();
    data.rs485Id = m_rs485Id->text();
    data.unitCount = m_unitCount->text();
    return true;
}
