#pragma once

#include <QDateTime>
#include <QString>

// The state of a test run. Times of day are seconds since local midnight;
// the stored durations keep four decimals.
struct RunState {
    int CurrentStep = 0;  // 0-based step index; its grid row is CurrentStep + 1
    bool StopRequested = false;
    bool PauseRequested = false;
    double StepDwell = 0;       // the running step's dwell time, read at step entry
    double StepStartTime = 0;   // time of day the step started
    double TickTime = 0;        // time of day at the start of the current tick
    double MeasureRefTime = 0;  // time of day of the last measurement point
    int ForRow = 0;             // grid row of the active FOR step, 0 = none
    int ForLoopCount = 0;
    int For2Row = 0;
    int For2LoopCount = 0;
    QDateTime RunStartStamp;
    QDateTime StepStartStamp;
    bool NoSaveLog = false;

    // Beyond the classic run state: what resuming, integrating and reporting need.
    bool Running = false;         // between a successful Start and Stop
    bool StepTimed = false;       // the step timer times the current step
    double PausedAt = 0;          // time of day Pause was pressed
    bool InputOnAtPause = false;  // the load's input was on when Pause released it
    qint64 LastPointCounter = 0;  // counter reading of the previous measurement point
    bool LinkLostReported = false;
    // Measurement points in a row that brought no phase value reading as a
    // number, and how many of them mean the load is gone.
    int MissedPoints = 0;
    int MaxMissedPoints = 3;
    // Ticks and Start's walks in progress further up the stack; a click that
    // lands in one of their waits runs nested inside them.
    int WorkDepth = 0;

    // Stop or Pause was asked for: no new work, waits give way.
    bool Halted() const { return StopRequested || PauseRequested; }
};
