#pragma once

#include <QString>
#include <optional>

// The one conversion between numbers and the texts that the step table, the
// test files, the load commands and the data log hold.

// Shortest decimal text of `value` with at most 15 significant digits: no
// exponent, no trailing zeros or point, "." as separator ("2.5", "12", "0").
QString NumberText(double value);

// Numeric value of the longest leading numeric part of `text` (leading blanks
// skipped), 0 when there is none: "1,5" -> 1, "2.5V" -> 2.5, "abc" -> 0.
double NumericValue(const QString& text);

// The numeric value of the leading numeric part, or nothing when the text
// does not begin with a number (leading blanks skipped).
std::optional<double> LeadingNumber(const QString& text);

// Strict reading: true only when the whole text (blanks around it allowed) is
// one number; `value` receives it.
bool StrictNumber(const QString& text, double* value);

// Numeric value rounded half to even, as the whole numbers of the run use it.
int RoundedInteger(double value);

// Rounds to the nearest 1/10000, the resolution of the run's stored times.
double KeepFourDecimals(double value);

// Appends `value` in decimal, with leading zeros up to `width` digits.
void AppendZeroPadded(QString* text, qint64 value, int width);
