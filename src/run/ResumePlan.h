#pragma once

#include <QString>

// Where a run that was interrupted (a crash, a power cut) picks up: the data
// log it goes on writing, the step, the loops as they were counted down, the
// time the step and the test had run, and the integrals.
struct ResumePlan {
    QString logPath;  // "" when the run kept no log
    int step = 0;     // 0-based index of the interrupted step
    // The step timer was timing the step: it is programmed again and its
    // dwell goes on. Otherwise the step is entered anew (a loop step, a
    // ramp, a pulse step, a step not yet set up).
    bool timed = false;
    double stepElapsed = 0;   // seconds of the step's dwell already run
    double totalElapsed = 0;  // seconds since the run started, downtime left out
    int forRow = 0;           // the active loops, as the run state holds them
    int forLoopCount = 0;
    int for2Row = 0;
    int for2LoopCount = 0;
    QString forCell;  // the "Loop Times" cells of those rows, as counted down
    QString for2Cell;
    double stepAh = 0;
    double stepKwh = 0;
    double testAh = 0;
    double testWh = 0;
    bool inputOn = false;  // the load's input was on
};
