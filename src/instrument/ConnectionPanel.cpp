#include "ConnectionPanel.h"

#include "NumberText.h"

namespace {
QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
}  // namespace

void ConnectionPanel::Show(const ConnectionRecord& record) {
    ip = record.ip;
    port = QString::number(record.port);
    gpibAddress = TwoDigits(record.gpibAddress);
    comPort = TwoDigits(record.comPort);
    baudRate = QString::number(record.baudRate);
    medium = record.medium;
}

QString ConnectionPanel::OneLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

int ConnectionPanel::TypedInteger(const QString& text) {
    double value = 0.0;
    return StrictNumber(text, &value) ? RoundedInteger(value) : 0;
}
