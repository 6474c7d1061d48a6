#include "LoadConnection.h"

#include <QFileInfo>

#include "Clock.h"
#include "Commands.h"
#include "GpibTransport.h"
#include "IniFile.h"
#include "NumberText.h"
#include "Operator.h"
#include "SerialErrorLog.h"
#include "SerialPortName.h"
#include "SerialTransport.h"
#include "Transport.h"

namespace {
const QString kTrioSection = QStringLiteral("TRIO");
const QString kConnectModeKey = QStringLiteral("ConnectMode");
const QString kLoadSection = QStringLiteral("Load1 Option");
constexpr int kFirstLoad = 0;
constexpr double kIdleResistance = 12500.0;
constexpr double kLoadOnVoltage = 0.8;

// A stored number: its leading numeric part, rounded; text without one is 0.
int StoredInteger(const QString& text) {
    return RoundedInteger(NumericValue(text));
}

// A number typed into a text box: the whole text must be one, else it is 0.
int TypedInteger(const QString& text) {
    double value = 0.0;
    return StrictNumber(text, &value) ? RoundedInteger(value) : 0;
}

QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// A line break inside a value would start a new line, and so a new key or
// section, in the INI file.
QString OneLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

int ModeOfMedium(int medium) {
    switch (medium) {
        case ConnectionPanel::kLan:
            return ConnectionRecord::kLan;
        case ConnectionPanel::kSerial:
            return ConnectionRecord::kSerial;
        case ConnectionPanel::kGpib:
            return ConnectionRecord::kGpib;
        default:
            return -1;
    }
}

int MediumOfMode(int mode) {
    switch (mode) {
        case ConnectionRecord::kLan:
            return ConnectionPanel::kLan;
        case ConnectionRecord::kSerial:
            return ConnectionPanel::kSerial;
        case ConnectionRecord::kGpib:
            return ConnectionPanel::kGpib;
        default:
            return ConnectionPanel::kNone;
    }
}

bool KnownMode(int mode) {
    return mode == ConnectionRecord::kSerial || mode == ConnectionRecord::kGpib ||
           mode == ConnectionRecord::kLan;
}
}  // namespace

LoadConnection::LoadConnection(Operator& op, const Clock& clock, QObject* parent)
    : QObject(parent), m_operator(op), m_clock(clock) {
    m_transportMedium.fill(-1);
}

LoadConnection::~LoadConnection() {
    for (auto& transport : m_transports) {
        if (transport) {
            transport->Close();
        }
    }
}

bool LoadConnection::LoadConnected(int load) const {
    return load >= 0 && load < static_cast<int>(m_loadConnected.size()) && m_loadConnected[load];
}

bool LoadConnection::LoadCheck(int load) const {
    return load >= 0 && load < static_cast<int>(m_panel.loadCheck.size()) &&
           m_panel.loadCheck[load];
}

void LoadConnection::SetActivityHook(std::function<void(QChar)> hook) {
    m_activityHook = std::move(hook);
    for (int r = 0; r < kConnectionRecordCount; ++r) {
        if (m_transports[r] && m_transportMedium[r] == ConnectionRecord::kSerial) {
            static_cast<SerialTransport*>(m_transports[r].get())->SetActivityHook(m_activityHook);
        }
    }
}

void LoadConnection::SetLanTimings(const LanTimings& timings) {
    m_lanTimings = timings;
    for (int r = 0; r < kConnectionRecordCount; ++r) {
        if (m_transports[r] && m_transportMedium[r] == ConnectionRecord::kLan) {
            static_cast<LanTransport*>(m_transports[r].get())->SetTimings(m_lanTimings);
        }
    }
}

void LoadConnection::ShowChannelRow(const ConnectionRecord& record, bool withPort) {
    QString address;
    switch (record.ConnectMode) {
        case ConnectionRecord::kLan:
            address =
                withPort ? QStringLiteral("%1:%2").arg(record.IP).arg(record.PORT) : record.IP;
            break;
        case ConnectionRecord::kSerial:
            address = QString::number(record.ComPort);
            break;
        case ConnectionRecord::kGpib:
            address = QString::number(record.GPIBAddress);
            break;
        default:
            return;
    }
    m_statusGrid.SetMediumByMode(record.ConnectMode);
    m_statusGrid.SetAddress(kFirstLoad, address);
    m_statusGrid.SetStatus(kFirstLoad, StatusGridModel::kWait);
}

void LoadConnection::LoadConnectionSettings(const QString& settingsPath,
                                            const QString& testFilePath) {
    m_settingsPath = settingsPath;
    m_loadCount = 0;
    ConnectionRecord& record = m_records[LoadDevice(kFirstLoad)];

    record.ConnectMode =
        StoredInteger(ReadSetting(settingsPath, kTrioSection, kConnectModeKey, "2"));
    if (!KnownMode(record.ConnectMode)) {
        record.ConnectMode = ConnectionRecord::kLan;
    }
    const IniFile testFile = IniFile::Load(testFilePath);
    const auto stored = [&](const char* key, const char* fallback) {
        return StoredInteger(testFile.Value(kLoadSection, key, fallback));
    };
    record.GPIBAddress = stored("GPIBAddress", "5");
    record.ComPort = stored("ComPort", "01");
    record.BaudRate = stored("BaudRate", "115200");
    record.ID = stored("ID", "0");
    record.MSCount = stored("MSCount", "1");
    record.RS232toRS485 = stored("RS232toRS485", "0");
    record.IP = testFile.Value(kLoadSection, "IP", "192.168.16.128");
    record.PORT = stored("PORT", "4001");

    m_panel.ip = record.IP;
    m_panel.port = QString::number(record.PORT);
    m_panel.gpibAddress = TwoDigits(record.GPIBAddress);
    m_panel.comPort = TwoDigits(record.ComPort);
    m_panel.baudRate = QString::number(record.BaudRate);
    m_panel.selectedMedium = MediumOfMode(record.ConnectMode);

    m_loadCount += 1;
    m_statusGrid.SetChannelCount(m_loadCount);
    m_statusGrid.ClearRow(kFirstLoad);
    ShowChannelRow(record, true);
    emit panelChanged();
    emit loadCountChanged(m_loadCount);
}

bool LoadConnection::StoreConnectionSettings(const QString& settingsPath,
                                             const QString& testFilePath, QString* error) {
    m_settingsPath = settingsPath;
    ConnectionRecord& record = m_records[LoadDevice(kFirstLoad)];
    QStringList problems;

    const int mode = ModeOfMedium(m_panel.selectedMedium);
    if (mode >= 0) {
        record.ConnectMode = mode;
        QString reason;
        if (!WriteSetting(settingsPath, kTrioSection, kConnectModeKey, QString::number(mode),
                          &reason)) {
            problems << QStringLiteral("%1: %2").arg(settingsPath, reason);
        }
        m_statusGrid.SetMediumByMode(mode);
    }

    record.ComPort = StoredInteger(m_panel.comPort);
    record.BaudRate = StoredInteger(m_panel.baudRate);
    record.RS232toRS485 = m_panel.rs485 ? 1 : 0;
    record.ID = TypedInteger(m_panel.rs485Id);
    record.MSCount = TypedInteger(m_panel.msCount);
    record.LoadCheck = m_panel.loadCheck[kFirstLoad] ? 1 : 0;
    record.IP = OneLine(m_panel.ip);
    record.PORT = TypedInteger(m_panel.port);
    record.GPIBAddress = StoredInteger(m_panel.gpibAddress);

    IniFile testFile;
    QString readError;
    if (testFilePath.isEmpty()) {
        problems << QStringLiteral("no test file to store the connection in");
    } else if (!IniFile::LoadForUpdate(testFilePath, &testFile, &readError)) {
        // Writing over a file we cannot read would lose its steps.
        problems << QStringLiteral("cannot read %1: %2").arg(testFilePath, readError);
    } else {
        testFile.SetValue(kLoadSection, "ComPort", OneLine(m_panel.comPort));
        testFile.SetValue(kLoadSection, "BaudRate", OneLine(m_panel.baudRate));
        testFile.SetValue(kLoadSection, "RS232toRS485", QString::number(record.RS232toRS485));
        testFile.SetValue(kLoadSection, "LoadCheck", QString::number(record.LoadCheck));
        testFile.SetValue(kLoadSection, "IP", record.IP);
        testFile.SetValue(kLoadSection, "Port", QString::number(record.PORT));
        testFile.SetValue(kLoadSection, "GPIBAddress", OneLine(m_panel.gpibAddress));
        QString reason;
        if (!testFile.Save(testFilePath, &reason)) {
            problems << QStringLiteral("%1: %2").arg(testFilePath, reason);
        }
    }

    m_statusGrid.ClearRow(kFirstLoad);
    ShowChannelRow(record, false);
    if (error != nullptr) {
        *error = problems.join(QLatin1Char('\n'));
    }
    return problems.isEmpty();
}

int LoadConnection::AllConnect() {
    m_loadCount = 0;
    m_probeReply.clear();
    const int r = LoadDevice(kFirstLoad);
    ConnectionRecord& record = m_records[r];
    const bool lan = record.ConnectMode == ConnectionRecord::kLan;
    bool probe = false;
    if (lan) {
        record.IP = OneLine(m_panel.ip);
        record.PORT = TypedInteger(m_panel.port);
        ProConnect(r);
        probe = true;
    } else if (record.ConnectMode == ConnectionRecord::kGpib) {
        ProConnect(r);
        probe = true;
    } else if (LoadCheck(kFirstLoad)) {
        ProConnect(r);
        Transport* transport = TransportFor(r);
        probe = transport != nullptr && transport->IsOpen();
    }

    if (!probe) {
        // Nothing could be asked: no load is known to answer.
        m_loadConnected[kFirstLoad] = false;
    } else {
        WriteCommand(r, Cmd::kProbeVoltage);
        const QString reply = ReadReply(r);
        // Empty text is what a serial port that closed under the probe gives:
        // no load spoke.
        const bool answered = reply != kNoReply && !reply.isEmpty();
        m_loadConnected[kFirstLoad] = answered;
        if (answered) {
            m_probeReply = reply;
            if (lan) {
                m_statusGrid.SetAddress(kFirstLoad, m_panel.ip);
            }
            m_statusGrid.SetStatus(kFirstLoad, StatusGridModel::kConnectOk);
            m_loadCount += 1;
            SendInitialSettings(r);
        } else {
            m_statusGrid.SetStatus(kFirstLoad, StatusGridModel::kConnectFail);
        }
    }
    emit loadCountChanged(m_loadCount);
    return m_loadCount;
}

void LoadConnection::SendInitialSettings(int record) {
    const bool lan = m_records[record].ConnectMode == ConnectionRecord::kLan;
    // Each mode's two levels are set to a harmless value before anything else
    // is sent; the linear mode exists only on loads reached over the LAN.
    QStringList commands = {
        Cmd::WithValue(Cmd::kCvB, 0),
        Cmd::WithValue(Cmd::kCvA, 0),
        Cmd::WithValue(Cmd::kCrA, kIdleResistance),
        Cmd::WithValue(Cmd::kCrB, kIdleResistance),
        Cmd::WithValue(Cmd::kCpB, 0),
        Cmd::WithValue(Cmd::kCpA, 0),
        Cmd::WithValue(Cmd::kCcB, 0),
        Cmd::WithValue(Cmd::kCcA, 0),
    };
    if (lan) {
        commands << Cmd::WithValue(Cmd::kLinB, 0) << Cmd::WithValue(Cmd::kLinA, 0);
    }
    commands << Cmd::kCcAuto << Cmd::WithValue(Cmd::kLoadOnVoltage, kLoadOnVoltage);
    for (const QString& command : commands) {
        if (LinkLost(record)) {
            return;
        }
        WriteCommand(record, command);
    }
}

std::unique_ptr<Transport> LoadConnection::CreateTransport(int medium) const {
    switch (medium) {
        case ConnectionRecord::kSerial: {
            auto serial = std::make_unique<SerialTransport>(m_clock);
            serial->SetActivityHook(m_activityHook);
            return serial;
        }
        case ConnectionRecord::kGpib:
            return std::make_unique<GpibTransport>(m_operator);
        case ConnectionRecord::kLan:
            return std::make_unique<LanTransport>(m_operator, m_lanTimings);
        default:
            return nullptr;
    }
}

void LoadConnection::ConfigureTransport(int record) {
    const ConnectionRecord& rec = m_records[record];
    Transport* transport = m_transports[record].get();
    switch (m_transportMedium[record]) {
        case ConnectionRecord::kSerial: {
            auto* serial = static_cast<SerialTransport*>(transport);
            serial->SetPort(SerialPortName(rec.ComPort, m_settingsPath), rec.BaudRate);
            const QString folder =
                m_settingsPath.isEmpty() ? QString() : QFileInfo(m_settingsPath).absolutePath();
            serial->SetErrorLog(SerialErrorLog(folder));
            break;
        }
        case ConnectionRecord::kGpib:
            static_cast<GpibTransport*>(transport)->SetAddress(rec.GPIBAddress);
            break;
        case ConnectionRecord::kLan:
            static_cast<LanTransport*>(transport)->SetEndpoint(rec.IP, rec.PORT);
            break;
        default:
            break;
    }
}

Transport* LoadConnection::TransportFor(int record) {
    if (!ValidRecord(record)) {
        return nullptr;
    }
    const int mode = m_records[record].ConnectMode;
    if (!KnownMode(mode)) {
        return m_transports[record].get();
    }
    if (!m_transports[record] || m_transportMedium[record] != mode) {
        if (m_transports[record]) {
            m_transports[record]->Close();
        }
        m_transports[record] = CreateTransport(mode);
        m_transportMedium[record] = mode;
        ConfigureTransport(record);
    }
    return m_transports[record].get();
}

void LoadConnection::ProConnect(int record) {
    Transport* transport = TransportFor(record);
    if (transport == nullptr || !KnownMode(m_records[record].ConnectMode)) {
        return;
    }
    ConfigureTransport(record);
    if (m_records[record].ConnectMode == ConnectionRecord::kSerial &&
        m_records[record].ComPort <= 0) {
        // No port chosen: nothing to open, and nothing left open either.
        transport->Close();
        return;
    }
    transport->Open();
}

void LoadConnection::CloseChannel(int record) {
    if (ValidRecord(record) && m_transports[record]) {
        m_transports[record]->Close();
    }
}

void LoadConnection::WriteCommand(int record, const QString& text) {
    if (Transport* transport = TransportFor(record)) {
        transport->Write(text);
    }
}

QString LoadConnection::ReadReply(int record) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? transport->Read() : kNoReply;
}

QString LoadConnection::ReadReplySettled(int record) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? transport->ReadSettled() : kNoReply;
}

QString LoadConnection::ReadReplyTimed(int record, double seconds) {
    Transport* transport = TransportFor(record);
    return transport != nullptr ? transport->ReadTimed(seconds) : kNoReply;
}

bool LoadConnection::LinkLost(int record) const {
    return ValidRecord(record) && m_transports[record] && m_transports[record]->LinkLost();
}
