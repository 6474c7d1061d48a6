#pragma once

class Clock;
class Displays;
class LoadConnection;
class Measurement;
class Operator;
class OutputProgrammer;
class PhaseGrid;
class PointLog;
class ReadingGuard;
class RunChannel;
class TestDocument;
struct ProgramSettings;
struct RunState;

// Everything a run works on, handed to the parts of the engine that share
// it. The Station owns all of it.
struct RunContext {
    const Clock& clock;
    Operator& op;
    ProgramSettings& settings;
    TestDocument& test;
    LoadConnection& connection;
    Displays& displays;
    PhaseGrid& phases;
    RunState& state;
    RunChannel& channel;
    Measurement& measurement;
    OutputProgrammer& outputs;
    PointLog& points;
    ReadingGuard& guard;
};
