#pragma once

// The regulation modes of the simulated load's input (the engine names the
// same modes as texts: "CC", "CR", "CV", "CP", "LINCC").
enum class RegulationMode { kCc, kCr, kCv, kCp, kLin };
