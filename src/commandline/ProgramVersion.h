#pragma once

#include <QString>

// The project's version, followed by the git commit when the programs were
// built from a checkout: "1.5 (commit 3f2a9c1e0b7d)". Written at build time.
QString ProgramVersion();
