#pragma once

#include "CommandLine.h"

// Options that the window and the headless runner share, told the same way.

// --home DIR: the program folder.
OptionSpec HomeOption();
