#include "NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {
constexpr int kSignificantDigits = 15;

// Length of the leading numeric part starting at `pos`, 0 when there is none.
int NumericPrefixLength(const QString& text, int pos) {
    const int start = pos;
    const int n = text.size();
    if (pos < n && (text[pos] == QLatin1Char('+') || text[pos] == QLatin1Char('-'))) {
        ++pos;
    }
    int digits = 0;
    while (pos < n && text[pos].isDigit() && text[pos].unicode() < 128) {
        ++pos;
        ++digits;
    }
    if (pos < n && text[pos] == QLatin1Char('.')) {
        int fraction = 0;
        int p = pos + 1;
        while (p < n && text[p].isDigit() && text[p].unicode() < 128) {
            ++p;
            ++fraction;
        }
        if (digits + fraction > 0) {
            pos = p;
            digits += fraction;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (pos < n && (text[pos] == QLatin1Char('e') || text[pos] == QLatin1Char('E'))) {
        int p = pos + 1;
        if (p < n && (text[p] == QLatin1Char('+') || text[p] == QLatin1Char('-'))) {
            ++p;
        }
        int expDigits = 0;
        while (p < n && text[p].isDigit() && text[p].unicode() < 128) {
            ++p;
            ++expDigits;
        }
        if (expDigits > 0) {
            pos = p;
        }
    }
    return pos - start;
}

// "-1.2345e+17" -> "-123450000000000000"; "1.5e-07" -> "0.00000015".
QString PlainDecimal(const QString& scientific) {
    const bool negative = scientific.startsWith(QLatin1Char('-'));
    const int ePos = scientific.indexOf(QLatin1Char('e'));
    const int first = negative ? 1 : 0;
    QString digits = scientific.mid(first, ePos - first);
    digits.remove(QLatin1Char('.'));
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0'))) {
        digits.chop(1);
    }
    const int exponent = scientific.mid(ePos + 1).toInt();
    QString text;
    if (exponent < 0) {
        text = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else if (digits.size() <= exponent + 1) {
        text = digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
    } else {
        text = digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    }
    return negative ? QLatin1Char('-') + text : text;
}

// The number of `length` characters at `start`, which NumericPrefixLength
// found to be one. Readings are parsed several times for every measurement
// point; this spares QString's conversion its copies.
std::optional<double> ParseNumber(const QString& text, int start, int length) {
    if (text[start] == QLatin1Char('+')) {
        ++start;
        --length;
    }
    std::array<char, 64> ascii;
    if (length > static_cast<int>(ascii.size())) {
        bool ok = false;
        const double value = QStringView(text).mid(start, length).toDouble(&ok);
        return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    }
    for (int i = 0; i < length; ++i) {
        ascii[static_cast<size_t>(i)] = static_cast<char>(text[start + i].unicode());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + length, value);
    if (error != std::errc() || end != ascii.data() + length || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

int SkipBlanks(const QString& text, int pos) {
    while (pos < text.size() && (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t'))) {
        ++pos;
    }
    return pos;
}
}  // namespace

QString NumberText(double value) {
    if (!std::isfinite(value) || value == 0.0) {
        return QStringLiteral("0");
    }
    QString text = QString::number(value, 'g', kSignificantDigits);
    if (!text.contains(QLatin1Char('e'))) {
        return text;
    }
    // Very large or very small values: place the 15 significant digits by
    // hand. Going back through a double would print digits that the rounding
    // took away (1e23 is stored as 99999999999999991611392).
    return PlainDecimal(QString::number(value, 'e', kSignificantDigits - 1));
}

std::optional<double> LeadingNumber(const QString& text) {
    const int start = SkipBlanks(text, 0);
    const int length = NumericPrefixLength(text, start);
    if (length == 0) {
        return std::nullopt;
    }
    return ParseNumber(text, start, length);
}

double NumericValue(const QString& text) {
    return LeadingNumber(text).value_or(0.0);
}

bool StrictNumber(const QString& text, double* value) {
    const int start = SkipBlanks(text, 0);
    const int length = NumericPrefixLength(text, start);
    if (length == 0 || SkipBlanks(text, start + length) != text.size()) {
        return false;
    }
    const std::optional<double> parsed = ParseNumber(text, start, length);
    if (!parsed) {
        return false;
    }
    if (value != nullptr) {
        *value = *parsed;
    }
    return true;
}

int RoundedInteger(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const double clamped = std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                      static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(std::nearbyint(clamped));
}

double KeepFourDecimals(double value) {
    return std::round(value * 10000.0) / 10000.0;
}

void AppendZeroPadded(QString* text, qint64 value, int width) {
    const QString digits = QString::number(value);
    for (qsizetype i = digits.size(); i < width; ++i) {
        *text += QLatin1Char('0');
    }
    *text += digits;
}
