#include "TelemetryPayloads.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <cmath>

#include "PointLog.h"

namespace {
const char* const kPhaseNames[] = {"A", "B", "C"};

QByteArray Compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool ReadObject(const QByteArray& payload, QJsonObject* object) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return false;
    }
    *object = document.object();
    return true;
}

// JSON has no NaN or infinity; a reading that is none is sent as 0, as the
// data log writes a reading it could not take.
double Finite(double value) {
    return std::isfinite(value) ? value : 0.0;
}
}  // namespace

QString IsoUtc(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QByteArray StatusPayload(const StationStatus& s) {
    QJsonObject o;
    o["station"] = s.station;
    o["state"] = s.state;
    o["serial"] = s.serial;
    o["testFile"] = s.testFile;
    o["step"] = s.step;
    o["action"] = s.action;
    o["mode"] = s.mode;
    o["loop1"] = s.loop1;
    o["loop2"] = s.loop2;
    o["stepElapsed"] = std::round(Finite(s.stepElapsed) * 1000.0) / 1000.0;
    o["stepDwell"] = Finite(s.stepDwell);
    o["voltage"] = Finite(s.voltage);
    o["current"] = Finite(s.current);
    o["power"] = Finite(s.power);
    o["ah"] = Finite(s.ah);
    o["wh"] = Finite(s.wh);
    o["message"] = s.message;
    o["allowRemoteStop"] = s.allowRemoteStop;
    o["time"] = IsoUtc(s.time);
    return Compact(o);
}

bool ParseStatus(const QByteArray& payload, StationStatus* s) {
    QJsonObject o;
    if (!ReadObject(payload, &o) || !o.value("state").isString()) {
        return false;
    }
    s->station = o.value("station").toString();
    s->state = o.value("state").toString();
    s->serial = o.value("serial").toString();
    s->testFile = o.value("testFile").toString();
    s->step = o.value("step").toInt();
    s->action = o.value("action").toString();
    s->mode = o.value("mode").toString();
    s->loop1 = o.value("loop1").toString();
    s->loop2 = o.value("loop2").toString();
    s->stepElapsed = o.value("stepElapsed").toDouble();
    s->stepDwell = o.value("stepDwell").toDouble();
    s->voltage = o.value("voltage").toDouble();
    s->current = o.value("current").toDouble();
    s->power = o.value("power").toDouble();
    s->ah = o.value("ah").toDouble();
    s->wh = o.value("wh").toDouble();
    s->message = o.value("message").toString();
    // Only a plain true offers the Stop button.
    s->allowRemoteStop = o.value("allowRemoteStop").toBool(false);
    s->time = QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs);
    return true;
}

QByteArray PointPayload(const MeasuredPoint& p, double ah, double kwh, const QString& serial) {
    QJsonObject o;
    o["no"] = static_cast<double>(p.lineNumber);
    o["step"] = p.step;
    o["loop1"] = p.loop1;
    o["stepTime"] = p.time.toString(QStringLiteral("hh:mm:ss"));
    for (int phase = 0; phase < 3; ++phase) {
        o[QStringLiteral("voltage") + kPhaseNames[phase]] = Finite(p.voltage[phase]);
        o[QStringLiteral("current") + kPhaseNames[phase]] = Finite(p.current[phase]);
        o[QStringLiteral("power") + kPhaseNames[phase]] = Finite(p.power[phase]);
    }
    o["totalTime"] = p.totalTime;
    o["stepMode"] = p.stepMode;
    o["ah"] = Finite(ah);
    o["kwh"] = Finite(kwh);
    o["serial"] = serial;
    o["seconds"] = Finite(p.secondsSinceStart);
    o["time"] = IsoUtc(p.time);
    return Compact(o);
}

bool ParsePoint(const QByteArray& payload, MeasuredPoint* p, double* ah) {
    QJsonObject o;
    if (!ReadObject(payload, &o) || !o.value("no").isDouble() || !o.value("time").isString()) {
        return false;
    }
    p->lineNumber = static_cast<qint64>(o.value("no").toDouble());
    p->step = o.value("step").toInt();
    p->loop1 = o.value("loop1").toString();
    p->time = QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs).toLocalTime();
    for (int phase = 0; phase < 3; ++phase) {
        p->voltage[phase] = o.value(QStringLiteral("voltage") + kPhaseNames[phase]).toDouble();
        p->current[phase] = o.value(QStringLiteral("current") + kPhaseNames[phase]).toDouble();
        p->power[phase] = o.value(QStringLiteral("power") + kPhaseNames[phase]).toDouble();
    }
    p->totalTime = o.value("totalTime").toString();
    p->stepMode = o.value("stepMode").toString();
    p->secondsSinceStart = o.value("seconds").toDouble();
    if (ah) {
        *ah = o.value("ah").toDouble();
    }
    return true;
}

QByteArray EventPayload(const QString& text, const QString& title, const QDateTime& time) {
    QJsonObject o;
    o["text"] = text;
    if (!title.isEmpty()) {
        o["title"] = title;
    }
    o["time"] = IsoUtc(time);
    return Compact(o);
}
