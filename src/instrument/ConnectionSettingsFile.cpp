#include "ConnectionSettingsFile.h"

#include <QStringList>

#include "IniFile.h"
#include "NumberText.h"

namespace {
const QString kChannelSection = QStringLiteral("Load1 Option");

enum class Field {
    ComPort,
    BaudRate,
    ViaRs485,
    Enabled,
    Ip,
    Port,
    GpibAddress,
    Rs485Id,
    UnitCount
};

struct ChannelKey {
    Field field;
    const char* name;
    const char* readDefault;  // nullptr: never read
    bool written;
};
// The channel's keys, in the order a store writes them. "ID" and "MSCount"
// are read only (a value typed into their boxes lasts until the program
// ends); "LoadCheck" is written only. Files of earlier versions hold "PORT";
// it reads as "Port".
const ChannelKey kChannelKeys[] = {
    {Field::ComPort, "ComPort", "01", true},        {Field::BaudRate, "BaudRate", "115200", true},
    {Field::ViaRs485, "RS232toRS485", "0", true},   {Field::Enabled, "LoadCheck", nullptr, true},
    {Field::Ip, "IP", "192.168.16.128", true},      {Field::Port, "Port", "4001", true},
    {Field::GpibAddress, "GPIBAddress", "5", true}, {Field::Rs485Id, "ID", "0", false},
    {Field::UnitCount, "MSCount", "1", false},
};

// A stored number: its leading numeric part, rounded; text without one is 0.
int StoredInteger(const QString& text) {
    return RoundedInteger(NumericValue(text));
}

// Sets the record's field from the text that stores it.
void SetField(ConnectionRecord& record, Field field, const QString& text) {
    switch (field) {
        case Field::ComPort:
            record.comPort = StoredInteger(text);
            break;
        case Field::BaudRate:
            record.baudRate = StoredInteger(text);
            break;
        case Field::ViaRs485:
            record.viaRs485 = StoredInteger(text);
            break;
        case Field::Enabled:
            record.enabled = StoredInteger(text);
            break;
        case Field::Ip:
            record.ip = text;
            break;
        case Field::Port:
            record.port = StoredInteger(text);
            break;
        case Field::GpibAddress:
            record.gpibAddress = StoredInteger(text);
            break;
        case Field::Rs485Id:
            record.rs485Id = StoredInteger(text);
            break;
        case Field::UnitCount:
            record.unitCount = StoredInteger(text);
            break;
    }
}

// The text a field is stored as, taken from what the panel shows. Pickers
// keep their text ("01"); a typed number that is no whole number stores 0.
QString PanelText(const ConnectionPanel& panel, Field field) {
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    switch (field) {
        case Field::ComPort:
            return ConnectionPanel::OneLine(panel.comPort);
        case Field::BaudRate:
            return ConnectionPanel::OneLine(panel.baudRate);
        case Field::ViaRs485:
            return flag(panel.rs485);
        case Field::Enabled:
            return flag(panel.channelEnabled[0]);
        case Field::Ip:
            return panel.TypedIp();
        case Field::Port:
            return QString::number(ConnectionPanel::TypedInteger(panel.port));
        case Field::GpibAddress:
            return ConnectionPanel::OneLine(panel.gpibAddress);
        case Field::Rs485Id:
            return QString::number(ConnectionPanel::TypedInteger(panel.rs485Id));
        case Field::UnitCount:
            return QString::number(ConnectionPanel::TypedInteger(panel.unitCount));
    }
    return QString();
}
}  // namespace

ConnectionSettingsFile::ConnectionSettingsFile(const QString& settingsPath,
                                               const QString& testFilePath)
    : m_settingsPath(settingsPath), m_testFilePath(testFilePath) {}

void ConnectionSettingsFile::ReadInto(ConnectionRecord& record) const {
    record.medium = StoredMedium(IniFile::Load(m_settingsPath));
    const IniFile testFile = IniFile::Load(m_testFilePath);
    for (const ChannelKey& key : kChannelKeys) {
        if (key.readDefault != nullptr) {
            SetField(record, key.field, testFile.Value(kChannelSection, key.name, key.readDefault));
        }
    }
}

bool ConnectionSettingsFile::Store(const ConnectionPanel& panel, ConnectionRecord& record,
                                   QString* error) const {
    QStringList problems;
    if (panel.medium) {
        record.medium = *panel.medium;
        QString reason;
        if (!StoreMedium(m_settingsPath, record.medium, &reason)) {
            problems << QStringLiteral("%1: %2").arg(m_settingsPath, reason);
        }
    }
    for (const ChannelKey& key : kChannelKeys) {
        SetField(record, key.field, PanelText(panel, key.field));
    }

    IniFile testFile;
    QString readError;
    if (m_testFilePath.isEmpty()) {
        problems << QStringLiteral("no test file to store the connection in");
    } else if (!IniFile::LoadForUpdate(m_testFilePath, &testFile, &readError)) {
        // Writing over a file we cannot read would lose its steps.
        problems << QStringLiteral("cannot read %1: %2").arg(m_testFilePath, readError);
    } else {
        for (const ChannelKey& key : kChannelKeys) {
            if (key.written) {
                testFile.SetValue(kChannelSection, key.name, PanelText(panel, key.field));
            }
        }
        QString reason;
        if (!testFile.Save(m_testFilePath, &reason)) {
            problems << QStringLiteral("%1: %2").arg(m_testFilePath, reason);
        }
    }
    if (error != nullptr) {
        *error = problems.join(QLatin1Char('\n'));
    }
    return problems.isEmpty();
}
