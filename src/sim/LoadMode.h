#pragma once

// The regulation modes of the load's input.
enum class LoadMode { kCc, kCr, kCv, kCp, kLin };
