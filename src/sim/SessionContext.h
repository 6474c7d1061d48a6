#pragma once

#include <functional>

class CommandInterpreter;
class CommandJournal;

// What every link to the load shares: the one load behind all media, the
// journal, and the clock the load runs on (seconds, monotonic).
struct SessionContext {
    CommandInterpreter* interpreter = nullptr;
    CommandJournal* journal = nullptr;
    std::function<double()> now;
};
