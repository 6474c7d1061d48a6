#include "PulseVerdict.h"

#include <QStringList>

#include "NumberText.h"

PulseVerdict ParsePulseVerdict(const QString& reply) {
    const QStringList fields = reply.split(QLatin1Char(','));
    PulseVerdict verdict;
    if (fields.size() < 3 ||
        (fields[0] != QLatin1String("OK") && fields[0] != QLatin1String("NG"))) {
        return verdict;
    }
    verdict.code = fields[0] == QLatin1String("OK") ? 1 : 2;
    verdict.voltage = fields[1];
    verdict.current = fields[2];
    verdict.power = NumberText(NumericValue(fields[1]) * NumericValue(fields[2]));
    return verdict;
}
