#pragma once

// The measurement options of a test file's "TestStep Option" section. The
// flags are 1 when ticked; the window's check boxes show the first six, each
// captioned as its comment says.
struct TestOptions {
    int measureVoltage = 1;     // "Voltage"
    int measureCurrent = 1;     // "Current"
    int measurePower = 1;       // "Power"
    int measureResistant = 0;   // "Resistant"
    int measureKwh = 1;         // "kWh"
    int measureCapability = 1;  // "Ah"
    // Read from the file and kept, never written back.
    int measureAddKwh = 0;
    int measureAddCapability = 0;
    int measureTemperature = 0;
    int measureDcv = 0;
    int measureRefVoltage = 0;
    int measureAcirDcir = 0;
    // Tick period of the step timer in seconds, four decimals.
    double measureTime = 0.01;

    bool operator==(const TestOptions& other) const;
    bool operator!=(const TestOptions& other) const { return !(*this == other); }
};
