#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

struct MeasuredPoint;

// The topics under a station's prefix.
namespace TelemetryTopic {
inline const QString kStatus = QStringLiteral("status");
inline const QString kPoint = QStringLiteral("point");
inline const QString kEvent = QStringLiteral("event");
inline const QString kResults = QStringLiteral("results");
inline const QString kCommand = QStringLiteral("command");
}  // namespace TelemetryTopic

// The one command a station takes from the broker, and only when allowed.
inline const QByteArray kRemoteStopCommand = QByteArrayLiteral("stop");

// What the retained status message of a station says.
struct StationStatus {
    QString station;  // the station's name (host name or the topic's last level)
    QString state;    // idle, connecting, running, paused, finished, stopped, error, offline
    QString serial;
    QString testFile;
    int step = 0;  // 0 = no step yet
    QString action;
    QString mode;
    QString loop1;
    QString loop2;
    double stepElapsed = 0;
    double stepDwell = 0;
    double voltage = 0;
    double current = 0;
    double power = 0;
    double ah = 0;
    double wh = 0;
    QString message;  // the last operator message
    bool allowRemoteStop = false;
    QDateTime time;
};

// ISO 8601 in UTC with milliseconds ("2026-12-07T13:02:07.250Z").
QString IsoUtc(const QDateTime& time);

QByteArray StatusPayload(const StationStatus& status);
// Reads a status payload; false when it is no JSON object with a state.
bool ParseStatus(const QByteArray& payload, StationStatus* status);

// One log line: the CSV line's values, Ah and kWh integrated so far, the
// serial number and the time in UTC.
QByteArray PointPayload(const MeasuredPoint& point, double ah, double kwh, const QString& serial);
// Reads a point payload back (the fields the CSV line has, and Ah when `ah`
// is given); false when it is not one.
bool ParsePoint(const QByteArray& payload, MeasuredPoint* point, double* ah = nullptr);

QByteArray EventPayload(const QString& text, const QString& title, const QDateTime& time);
