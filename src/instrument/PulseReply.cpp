#include "PulseReply.h"

#include <QStringList>

#include "NumberText.h"

PulseReply ParsePulseReply(const QString& reply) {
    const QStringList fields = reply.split(QLatin1Char(','));
    PulseReply result;
    if (fields.size() < 3) {
        return result;
    }
    if (fields[0] == QLatin1String("OK")) {
        result.code = PulseReply::kPassed;
    } else if (fields[0] == QLatin1String("NG")) {
        result.code = PulseReply::kFailed;
    } else {
        return result;
    }
    result.voltage = fields[1];
    result.current = fields[2];
    result.power = NumberText(NumericValue(fields[1]) * NumericValue(fields[2]));
    return result;
}
