#pragma once

#include <QString>
#include <array>
#include <optional>

#include "ConnectionRecord.h"

// What the Connection Setup panel shows, as the texts and flags the operator
// typed; the window binds its controls to it. The connection settings are
// restored into it and stored from it.
struct ConnectionPanel {
    static constexpr int kEnableBoxes = 8;

    std::optional<Medium> medium = Medium::Lan;  // none when no medium is chosen
    // The channels' enable boxes; [0] is channel 1's.
    std::array<bool, kEnableBoxes> channelEnabled{
        {true, false, false, false, false, false, false, false}};
    QString ip = QStringLiteral("192.168.16.128");
    QString port = QStringLiteral("4001");
    QString comPort = QStringLiteral("01");
    QString baudRate = QStringLiteral("115200");
    QString gpibAddress = QStringLiteral("05");
    bool rs485 = false;
    QString rs485Id = QStringLiteral("001");
    QString unitCount = QStringLiteral("1");

    // Shows a restored record: its medium, LAN address, port numbers and
    // speed. The RS-485 entries keep what they show.
    void Show(const ConnectionRecord& record);

    // The address as typed, as one line.
    QString TypedIp() const { return OneLine(ip); }
    // What is wrong with the typed address for the LAN: "" when it is an
    // IPv4 address (four numbers 0 to 255, no leading zeros) or a host name.
    QString IpProblem() const;

    // `text` names a host: an IPv4 address in dotted decimal form, or a host
    // name of letters, digits, hyphens and dots whose last part is no number.
    static bool IsHostText(const QString& text);

    // A text without its line breaks: a line break inside a stored value
    // would start a new key, or section, of the settings file.
    static QString OneLine(QString text);
    // A number typed into a box: the whole text must be one, else it is 0.
    static int TypedInteger(const QString& text);
};
