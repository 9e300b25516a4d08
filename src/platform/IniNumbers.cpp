// Number text: integers and floating values as the settings files spell them.
#include "platform/IniFile.h"

#include <charconv>
#include <cmath>

namespace {

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool IsDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }


} // namespace

namespace inirules {

std::optional<int> ParseInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text = text.mid(1);
    }
    quint64 magnitude = 0;
    if (text.startsWith(u'$') || text.startsWith(u"0x") || text.startsWith(u"0X")) {
        text = text.mid(text[0] == u'$' ? 1 : 2);
        if (text.isEmpty())
            return std::nullopt;
        for (QChar c : text) {
            const int digit = HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            magnitude = magnitude * 16 + quint64(digit);
            if (magnitude > 0xFFFFFFFFull)
                return std::nullopt;
        }
        // Hexadecimal spells the 32 bits, so $80000000 and above are negative.
        quint32 bits = quint32(magnitude);
        if (negative)
            bits = 0u - bits;
        return qint32(bits);
    }
    if (text.isEmpty())
        return std::nullopt;
    const quint64 limit = negative ? 2147483648ull : 2147483647ull;
    for (QChar c : text) {
        if (!IsDigit(c))
            return std::nullopt;
        magnitude = magnitude * 10 + quint64(c.unicode() - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    return negative ? qint32(0u - quint32(magnitude)) : qint32(magnitude);
}

std::optional<double> ParseFloat(QStringView text, QChar decimalSeparator)
{
    QByteArray ascii;
    ascii.reserve(text.size());
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (i < n && IsDigit(text[i])) {
        ascii += char(text[i++].unicode());
        ++mantissaDigits;
    }
    if (i < n && text[i] == decimalSeparator) {
        ascii += '.';
        ++i;
        while (i < n && IsDigit(text[i])) {
            ascii += char(text[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < n && (text[i] == u'-' || text[i] == u'+'))
            ascii += char(text[i++].unicode());
        int exponentDigits = 0;
        while (i < n && IsDigit(text[i])) {
            ascii += char(text[i++].unicode());
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    double value = 0;
    const char* first = ascii.constData();
    const char* last = first + ascii.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too small to represent reads as zero; too large has no value.
        const qsizetype e = ascii.indexOf('e');
        if (e >= 0 && ascii.at(e + 1) == '-')
            return ascii.startsWith('-') ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString FormatFloat(double value, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // QString::number ignores the C library's locale, which the application sets.
    // "d.dddddddddddddde+XX": 15 significant digits, rounded once.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype e = scientific.indexOf(u'e');
    const int exponent = scientific.mid(e + 1).toInt();
    QString digits = scientific.left(1) + scientific.mid(2, e - 2);
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString result = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= 15 || exponent < -5) {
        result += digits.left(1);
        if (digits.size() > 1)
            result += decimalSeparator + digits.mid(1);
        result += u'E';
        if (exponent < 0)
            result += u'-';
        result += QString::number(std::abs(exponent));
    } else if (exponent >= 0) {
        const int integerDigits = exponent + 1;
        if (digits.size() <= integerDigits) {
            result += digits + QString(integerDigits - digits.size(), u'0');
        } else {
            result += digits.left(integerDigits) + decimalSeparator + digits.mid(integerDigits);
        }
    } else {
        result += QStringLiteral("0") + decimalSeparator + QString(-exponent - 1, u'0') + digits;
    }
    return result;
}

} // namespace inirules
