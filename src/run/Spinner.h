#pragma once

#include <QString>

// The activity characters the run shows while it works: "-", "\", "|", "/".
// The fifth, a blank, shows that nothing runs.
QString SpinnerAt(double timeOfDay);
inline const QString kSpinnerIdle = QStringLiteral(" ");
