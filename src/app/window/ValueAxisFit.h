#pragma once

#include <qcustomplot.h>

// The value range a chart shows for readings from `low` to `high`: a small
// margin on both sides, and never so narrow that the ticks would split
// hairs (a constant reading gets a span of 2 % of its size but at least a
// millionth, a constant 0 a span of 1). A quantity that cannot be negative gets no negative part
// while its readings are not negative.
QCPRange FitValueRange(double low, double high, bool nonNegative);

// `range` moved up to start at 0 when it reaches below it, keeping its size.
QCPRange NotBelowZero(const QCPRange& range);
