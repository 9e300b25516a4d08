#include "widgets/ValueText.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace valuetext {

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool IsHexLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

int HexDigitValue(QChar c)
{
    if (IsDigit(c))
        return c.unicode() - '0';
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    return -1;
}

// The digits of |d| rounded half away from zero to `decimals` places, as an
// integer-part string and a fraction string. Rounding works on the decimal digits, so
// 1.005 rounds to 1.01 as a user expects.
void RoundedParts(const Decimal& d, int decimals, QString& integerPart, QString& fraction)
{
    integerPart = QStringLiteral("0");
    fraction = QString(decimals, QLatin1Char('0'));
    QString digits = d.digits;
    if (digits.isEmpty())
        return;
    int pointAt = d.pointAt; // digits before the decimal point
    const int keep = pointAt + decimals;
    if (keep < 0)
        return;
    if (keep < digits.size()) {
        const bool roundUp = digits.at(keep) >= QLatin1Char('5');
        digits.truncate(keep);
        if (roundUp) {
            int i = keep - 1;
            for (; i >= 0; --i) {
                if (digits.at(i) == QLatin1Char('9')) {
                    digits[i] = QLatin1Char('0');
                } else {
                    digits[i] = QChar(digits.at(i).unicode() + 1);
                    break;
                }
            }
            if (i < 0) {
                digits.prepend(QLatin1Char('1'));
                ++pointAt;
            }
        }
    }
    // Place the point: pad on either side as needed.
    if (pointAt <= 0) {
        digits.prepend(QString(-pointAt, QLatin1Char('0')));
        pointAt = 0;
    }
    if (digits.size() < pointAt + decimals)
        digits.append(QString(pointAt + decimals - digits.size(), QLatin1Char('0')));
    integerPart = digits.left(pointAt);
    fraction = digits.mid(pointAt, decimals);
    while (integerPart.size() > 1 && integerPart.at(0) == QLatin1Char('0'))
        integerPart.remove(0, 1);
    if (integerPart.isEmpty())
        integerPart = QStringLiteral("0");
}

QString Compose(const Decimal& d, int decimals, const FormatSettings& fs, bool grouped)
{
    decimals = std::max(0, decimals);
    QString integerPart, fraction;
    RoundedParts(d, decimals, integerPart, fraction);
    if (grouped) {
        for (int i = integerPart.size() - 3; i > 0; i -= 3)
            integerPart.insert(i, fs.ThousandSeparator);
    }
    QString result = integerPart;
    if (decimals > 0)
        result += fs.DecimalSeparator + fraction;
    const bool allZero = std::none_of(result.cbegin(), result.cend(), [](QChar c) {
        return c >= QLatin1Char('1') && c <= QLatin1Char('9');
    });
    if (d.negative && !allZero)
        result.prepend(QLatin1Char('-'));
    return result;
}

// Leading zeros go; the point moves with them.
void Trim(Decimal& d)
{
    int zeros = 0;
    while (zeros < d.digits.size() && d.digits.at(zeros) == QLatin1Char('0'))
        ++zeros;
    d.digits.remove(0, zeros);
    d.pointAt -= zeros;
    while (d.digits.endsWith(QLatin1Char('0')))
        d.digits.chop(1);
    if (d.digits.isEmpty())
        d.pointAt = 0;
}

} // namespace

TNumberKind ClassifyNumber(const QString& text, const FormatSettings& fs)
{
    const bool empty = text.isEmpty();
    bool integer = !empty;
    bool decimal = !empty;
    bool hex = !empty;
    int minusCount = 0;
    int decimalCount = 0;
    int lastThousand = -1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool minus = c == QLatin1Char('-');
        const bool digit = IsDigit(c);
        if (!minus && !digit)
            integer = false;
        if (!minus && !digit && c != QLatin1Char(',') && c != QLatin1Char('.'))
            decimal = false;
        if (!minus && !digit && !IsHexLetter(c))
            hex = false;
        if (c == fs.ThousandSeparator) {
            const int position = i + 1;
            if (position - lastThousand < 3)
                decimal = false;
            lastThousand = position;
        }
        if (c == fs.DecimalSeparator)
            ++decimalCount;
        if (minus)
            ++minusCount;
    }
    if (minusCount > 1 || decimalCount > 1)
        return nkInvalid;
    if (integer)
        return nkInteger;
    if (decimal)
        return nkDecimal;
    if (hex)
        return nkHex;
    return nkInvalid;
}

int IntegerLength(const QString& value, const FormatSettings& fs)
{
    QString plain = value;
    plain.remove(fs.ThousandSeparator);
    const int at = plain.indexOf(fs.DecimalSeparator);
    return at >= 0 ? at : plain.size();
}

Decimal DecimalOf(double x)
{
    Decimal d;
    if (!std::isfinite(x) || x == 0.0)
        return d;
    d.negative = x < 0;
    // The shortest digits that read back as the same double: a value the double holds
    // exactly keeps every digit, and nothing is invented past what it holds.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                      std::chars_format::scientific);
    const char* p = buffer;
    for (; p != result.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += QLatin1Char(*p);
    const int exponent = p != result.ptr ? std::atoi(std::string(p + 1, static_cast<const char*>(result.ptr)).c_str()) : 0;
    d.pointAt = exponent + 1; // value = 0.digits * 10^pointAt
    Trim(d);
    return d;
}

Decimal Truncated(const Decimal& d)
{
    Decimal whole = d;
    whole.digits = d.pointAt > 0 ? d.digits.left(d.pointAt) : QString();
    Trim(whole);
    return whole;
}

QString FormatFixed(const Decimal& d, int decimals, const FormatSettings& fs)
{
    return Compose(d, decimals, fs, false);
}

QString FormatNumber(const Decimal& d, int decimals, const FormatSettings& fs)
{
    return Compose(d, decimals, fs, true);
}

QString FormatFixed(double x, int decimals, const FormatSettings& fs)
{
    return FormatFixed(DecimalOf(x), decimals, fs);
}

QString FormatNumber(double x, int decimals, const FormatSettings& fs)
{
    return FormatNumber(DecimalOf(x), decimals, fs);
}

QString FormatGeneral(const Decimal& d, const FormatSettings& fs)
{
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    // Plain digits, never an exponent: the field takes no exponent and would make it 0.
    QString integerPart = QStringLiteral("0");
    QString fraction;
    if (d.pointAt > 0) {
        integerPart = d.digits.left(d.pointAt);
        integerPart.append(QString(std::max(0, d.pointAt - int(d.digits.size())), QLatin1Char('0')));
        fraction = d.digits.mid(d.pointAt);
    } else {
        fraction = QString(-d.pointAt, QLatin1Char('0')) + d.digits;
    }
    QString text = d.negative ? QStringLiteral("-") + integerPart : integerPart;
    if (!fraction.isEmpty())
        text += fs.DecimalSeparator + fraction;
    return text;
}

QString FormatGeneral(double x, const FormatSettings& fs) { return FormatGeneral(DecimalOf(x), fs); }

namespace {

// True for [+-]digits[sep digits][e[+-]digits] with at least one mantissa digit. Written
// by hand: this runs for every page a print draws, so no pattern is compiled per call.
bool HasDecimalShape(const QString& s, QChar decimalSeparator)
{
    int i = 0;
    const int n = int(s.size());
    auto digitsFrom = [&](int& at) {
        const int start = at;
        while (at < n && IsDigit(s.at(at)))
            ++at;
        return at - start;
    };
    if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        ++i;
    int mantissaDigits = digitsFrom(i);
    if (i < n && s.at(i) == decimalSeparator) {
        ++i;
        mantissaDigits += digitsFrom(i);
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
            ++i;
        if (digitsFrom(i) == 0)
            return false;
    }
    return i == n;
}

} // namespace

double TextToFloat(const QString& text, const FormatSettings& fs)
{
    QString plain = text;
    plain.remove(fs.ThousandSeparator);
    plain = plain.trimmed();
    if (!HasDecimalShape(plain, fs.DecimalSeparator))
        return 0.0;
    plain.replace(fs.DecimalSeparator, QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0.0;
    return value;
}

std::optional<Decimal> ParseDecimal(const QString& text, const FormatSettings& fs)
{
    QString plain = text;
    plain.remove(fs.ThousandSeparator);
    plain = plain.trimmed();
    if (!HasDecimalShape(plain, fs.DecimalSeparator))
        return std::nullopt;
    {
        // Beyond what a double can hold at all, as TextToFloat decides.
        QString dotted = plain;
        dotted.replace(fs.DecimalSeparator, QLatin1Char('.'));
        bool ok = false;
        if (!std::isfinite(dotted.toDouble(&ok)) || !ok)
            return std::nullopt;
    }
    Decimal d;
    int i = 0;
    const int n = int(plain.size());
    if (plain.at(i) == QLatin1Char('+') || plain.at(i) == QLatin1Char('-'))
        d.negative = plain.at(i++) == QLatin1Char('-');
    for (; i < n && IsDigit(plain.at(i)); ++i)
        d.digits += plain.at(i);
    d.pointAt = int(d.digits.size());
    if (i < n && plain.at(i) == fs.DecimalSeparator)
        for (++i; i < n && IsDigit(plain.at(i)); ++i)
            d.digits += plain.at(i);
    if (i < n) { // an exponent: the shape check has vouched for its form
        bool ok = false;
        const qlonglong exponent = QStringView(plain).mid(i + 1).toLongLong(&ok);
        d.pointAt += int(std::clamp<qlonglong>(ok ? exponent : 0, -100000, 100000));
    }
    Trim(d);
    return d;
}

namespace {

struct WholeReading {
    std::int32_t value = 0;
    bool overflowed = false; // a digit would have taken the number past 32 bits
};

WholeReading ReadWhole(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') ||
                  text.at(i) == QLatin1Char('X'))) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    // Negative decimals may reach one further than positive ones.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    std::uint64_t value = 0;
    bool stopped = false;
    bool overflowed = false;
    for (; i < n; ++i) {
        const int digit = hex ? HexDigitValue(text.at(i)) : (IsDigit(text.at(i)) ? text.at(i).unicode() - '0' : -1);
        if (digit < 0) {
            stopped = true;
            break;
        }
        const std::uint64_t next = value * (hex ? 16u : 10u) + static_cast<unsigned>(digit);
        if (next > limit) {
            stopped = true;
            overflowed = true;
            break;
        }
        value = next;
    }
    if (negative && !stopped)
        return { static_cast<std::int32_t>(-static_cast<std::int64_t>(value)), false };
    return { static_cast<std::int32_t>(static_cast<std::uint32_t>(value)), overflowed };
}

} // namespace

std::int32_t ReadWholeNumber(const QString& text) { return ReadWhole(text).value; }

bool WholeNumberFits(const QString& text) { return !ReadWhole(text).overflowed; }

std::int32_t HexValue(const QString& text)
{
    std::uint32_t sum = 0;
    const int n = text.size();
    for (int place = 0; place < n && place < 8; ++place) {
        const int digit = HexDigitValue(text.at(n - 1 - place));
        if (digit > 0)
            sum += static_cast<std::uint32_t>(digit) << (4 * place);
    }
    return static_cast<std::int32_t>(sum);
}

QString HexDigits(std::int64_t n)
{
    if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
        return QString::number(static_cast<std::uint32_t>(static_cast<std::int32_t>(n)), 16).toUpper();
    return QString::number(static_cast<std::uint64_t>(n), 16).toUpper();
}

QString MixedCase(const QString& text)
{
    QString result = text;
    const int n = result.size();
    bool capitalise = true;
    for (int i = 1; i <= n; ++i) {
        const QChar c = result.at(i - 1);
        const char16_t u = c.unicode();
        if (u == ' ' || u == '\'' || u == ',' || u == '-' || u == '.') {
            capitalise = true;
        } else if (capitalise) {
            if (u >= 'a' && u <= 'z')
                result[i - 1] = QChar(u - 'a' + 'A');
            capitalise = false;
        } else if (u >= 'A' && u <= 'Z') {
            result[i - 1] = QChar(u - 'A' + 'a');
        }
        if (i == 2 && result.left(2) == QLatin1String("Mc"))
            capitalise = true;
        const int mc = result.indexOf(QLatin1String(" Mc"));
        if (mc >= 0 && mc + 3 == i && i > 2)
            capitalise = true;
        if (i >= n - 2) {
            if (i >= 2 && result.mid(i - 2, 2) == QLatin1String(" I"))
                capitalise = true;
            if (i >= 3 && result.mid(i - 3, 3) == QLatin1String(" II"))
                capitalise = true;
        }
    }
    return result;
}

bool SeparatorDistanceAllows(const QString& value, int valueCaret, const FormatSettings& fs)
{
    if (!value.contains(fs.ThousandSeparator))
        return true;
    int b = valueCaret;
    int m = value.size();
    QString rest = value;
    for (int p = rest.indexOf(fs.ThousandSeparator) + 1; p > 0;
         p = rest.indexOf(fs.ThousandSeparator) + 1) {
        const int d = std::abs(p - b);
        m = std::min(m, d);
        if (d < 3)
            return false;
        if (p < b)
            b -= p;
        rest.remove(0, p);
    }
    return m <= 3;
}

} // namespace valuetext
