#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "EndChecks.h"

class LoadConnection;
class TestDocument;
struct SafetyLimits;

// The parts of a results file that describe the test rather than the run.
namespace ResultsContent {

// Path, SHA-256 of the steps, options and a copy of every step (the test
// file's keys, as the run read them).
QJsonObject TestDescription(const TestDocument& test);
// The limits that are set, by key, and the action.
QJsonObject LimitsDescription(const SafetyLimits& limits);
// Medium ("LAN", "serial", "GPIB") and address of channel 1.
QJsonObject ConnectionDescription(const LoadConnection& connection);
// Name and unit of each field of the data log's `header` line.
QJsonArray ColumnUnits(const QString& header);

// Why a step ended, as the results file says it: "time", "voltage",
// "current", "ah", "pulse-ok" or "pulse-ng".
QString EndReasonText(const QString& action, const QString& mode, StopReason reason);

// The first way `now` differs from the steps `before` (a copy made by
// TestDescription): "step 3 \"Value\" is 12, was 10", "5 steps, were 6";
// "" when they hold the same steps.
QString StepsDifference(const QJsonArray& before, const TestDocument& now);

}  // namespace ResultsContent
