#pragma once

#include <QGroupBox>
#include <array>
#include <optional>

#include "ConnectionPanel.h"

class LoadConnection;
class Operator;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "Load Connection Setup" frame: the medium of channel 1 and its
// parameters. Only the chosen medium's entries can be edited. It shows the
// connection's panel data and writes the operator's choices back into it only
// when OK finds them sound (a LAN address must be an IPv4 address or a host
// name); Cancel drops them.
class ConnectionSetupPanel : public QGroupBox {
    Q_OBJECT

  public:
    static constexpr int kMediumCount = 3;

    ConnectionSetupPanel(LoadConnection& connection, Operator& op, QWidget* parent = nullptr);

    // Shows what the panel data holds now.
    void Refresh();
    // Checks the entries and writes them into the panel data; false (with a
    // message to the operator) when an entry cannot be stored.
    bool WriteEntries();

    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

  signals:
    // OK with entries written; the window stores and saves them.
    void accepted();
    void cancelled();

  private:
    void BuildMediumRows(class QGridLayout* grid);
    void BuildRs485Row(QGridLayout* grid);
    void ExplainControls();
    QGroupBox* BuildPowerGroup();
    void ShowComboText(QComboBox* combo, const QString& text);
    void ShowSerialDevice();
    bool EntriesSound();
    std::optional<Medium> ChosenMedium() const;
    void EnableChosenMediumFields();

    LoadConnection& m_connection;
    Operator& m_operator;
    QButtonGroup* m_media;
    std::array<QRadioButton*, kMediumCount> m_mediumChoice{};
    std::array<QCheckBox*, ConnectionPanel::kEnableBoxes> m_enableBox{};
    QLineEdit* m_ip = nullptr;
    QLineEdit* m_port = nullptr;
    QComboBox* m_comPort = nullptr;
    QLabel* m_serialDevice = nullptr;
    QComboBox* m_baudRate = nullptr;
    QComboBox* m_gpibAddress = nullptr;
    QCheckBox* m_rs485 = nullptr;
    QLineEdit* m_rs485Id = nullptr;
    QLineEdit* m_unitCount = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
