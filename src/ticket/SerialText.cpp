#include "ticket/SerialText.h"

#include <QList>

#include <limits>
#include <numeric>

namespace ticket {

namespace {

struct CheckNameEntry {
    TCheck check;
    const char* name;
};
constexpr CheckNameEntry kCheckNames[] = {
    { TCheck::None, "none" }, { TCheck::Luhn, "luhn" }, { TCheck::Mod10, "mod10" },
    { TCheck::Mod11, "mod11" }, { TCheck::Mod7, "mod7" },
};

constexpr quint64 kCircle = quint64(1) << 32;

qint64 PositiveMod(qint64 value, qint64 modulus)
{
    const qint64 r = value % modulus;
    return r < 0 ? r + modulus : r;
}

// The inverse of a modulo m, for a and m coprime (m above 1).
qint64 Inverse(qint64 a, qint64 m)
{
    qint64 oldR = a, r = m, oldS = 1, s = 0;
    while (r != 0) {
        const qint64 q = oldR / r;
        oldR -= q * r;
        std::swap(oldR, r);
        oldS -= q * s;
        std::swap(oldS, s);
    }
    return PositiveMod(oldS, m);
}

// How many numbers of the circle a span reaches from its first to its last serial.
quint64 Reach(const TSerialSpan& span)
{
    const quint64 reach = quint64(qMax<qint64>(1, span.count) - 1) * quint64(qMax<qint64>(1, span.step)) + 1;
    return qMin(reach, kCircle);
}

} // namespace

QString CheckName(TCheck check)
{
    for (const CheckNameEntry& entry : kCheckNames)
        if (entry.check == check)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("none");
}

std::optional<TCheck> ParseCheck(const QString& text)
{
    const QString name = text.trimmed();
    if (name.isEmpty())
        return TCheck::None;
    for (const CheckNameEntry& entry : kCheckNames)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.check;
    return std::nullopt;
}

QString CheckCharacter(TCheck check, QStringView text)
{
    QList<int> digits; // as printed, left to right
    for (const QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits << c.unicode() - '0';
    if (check == TCheck::None || digits.isEmpty())
        return {};
    int value = 0;
    switch (check) {
    case TCheck::None:
        return {};
    case TCheck::Luhn: {
        // The check digit will stand rightmost, so the payload's rightmost digit is doubled.
        int sum = 0;
        for (qsizetype i = 0; i < digits.size(); ++i) {
            int d = digits[digits.size() - 1 - i];
            if (i % 2 == 0)
                d = d * 2 > 9 ? d * 2 - 9 : d * 2;
            sum += d;
        }
        value = (10 - sum % 10) % 10;
        break;
    }
    case TCheck::Mod10: {
        int sum = 0;
        for (qsizetype i = 0; i < digits.size(); ++i)
            sum += digits[digits.size() - 1 - i] * (i % 2 == 0 ? 3 : 1);
        value = (10 - sum % 10) % 10;
        break;
    }
    case TCheck::Mod11: {
        int sum = 0;
        for (qsizetype i = 0; i < digits.size(); ++i)
            sum += digits[digits.size() - 1 - i] * int(2 + i % 6);
        value = (11 - sum % 11) % 11;
        if (value == 10)
            return QStringLiteral("X");
        break;
    }
    case TCheck::Mod7:
        // Digit by digit, so zero padding of any width never overflows.
        for (const int d : digits)
            value = (value * 10 + d) % 7;
        break;
    }
    return QString::number(value);
}

QString NumberText(qint32 number, int digits)
{
    if (digits <= 0)
        return QString::number(number);
    const qint64 magnitude = number < 0 ? -qint64(number) : qint64(number);
    const int width = number < 0 ? digits - 1 : digits;
    const QString padded = QStringLiteral("%1").arg(magnitude, qMax(0, width), 10, QLatin1Char('0'));
    return number < 0 ? QLatin1Char('-') + padded : padded;
}

qint64 LastLettered(int letters, int digits)
{
    if (letters <= 0)
        return -1;
    qint64 last = 1;
    for (int i = 0; i < qMin(letters, kMaxLetters); ++i)
        last *= 26;
    for (int i = 0; i < qMax(1, digits) && last <= std::numeric_limits<qint32>::max(); ++i)
        last *= 10;
    return qMin<qint64>(last, qint64(std::numeric_limits<qint32>::max()) + 1) - 1;
}

namespace {

qint64 PowerOfTen(int digits)
{
    qint64 power = 1;
    for (int i = 0; i < digits && power <= std::numeric_limits<qint32>::max(); ++i)
        power *= 10;
    return power;
}

} // namespace

std::optional<QString> LetteredText(qint64 number, int letters, const QString& separator, int digits)
{
    if (letters <= 0 || number < 0 || number > LastLettered(letters, digits))
        return std::nullopt;
    const int width = qMax(1, digits);
    const qint64 power = PowerOfTen(width);
    qint64 head = number / power;
    QString text(qMin(letters, kMaxLetters), QLatin1Char('A'));
    for (qsizetype i = text.size() - 1; i >= 0; --i, head /= 26)
        text[i] = QLatin1Char(char('A' + head % 26));
    return text + separator + QStringLiteral("%1").arg(number % power, width, 10, QLatin1Char('0'));
}

std::optional<qint32> ParseLettered(QStringView text, int letters, const QString& separator, int digits)
{
    const int count = qMin(letters, kMaxLetters);
    const int width = qMax(1, digits);
    if (count <= 0 || text.size() != count + separator.size() + width || text.mid(count, separator.size()) != separator)
        return std::nullopt;
    qint64 head = 0;
    for (const QChar c : text.first(count)) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            return std::nullopt;
        head = head * 26 + (c.unicode() - 'A');
    }
    qint64 tail = 0;
    for (const QChar c : text.last(width)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        tail = tail * 10 + (c.unicode() - '0');
    }
    const qint64 number = head * PowerOfTen(width) + tail;
    if (number > LastLettered(letters, digits))
        return std::nullopt;
    return qint32(number);
}

TSerialParts SerialParts(const QString& prefix, qint32 number, const QString& suffix, int digits, TCheck check,
                         const QString& checkSeparator, int letters, const QString& letterSeparator)
{
    TSerialParts parts;
    if (const std::optional<QString> lettered = LetteredText(number, letters, letterSeparator, digits)) {
        parts.number = *lettered;
        // Over the digits alone: a separator's own digits are not the number's.
        parts.check = CheckCharacter(check, QStringView(parts.number).last(qMax(1, digits)));
    } else {
        parts.number = NumberText(number, digits);
        parts.check = CheckCharacter(check, parts.number);
    }
    parts.text = prefix + parts.number + (parts.check.isEmpty() ? QString() : checkSeparator + parts.check) + suffix;
    return parts;
}

qint32 NthSerial(qint32 first, qint64 index, qint64 step)
{
    // Unsigned arithmetic wraps by definition; the conversion back is modular in C++20.
    return static_cast<qint32>(quint32(first) + quint32(quint64(index) * quint64(step)));
}

std::optional<TSharedIndices> SharedIndices(const TSerialSpan& a, const TSerialSpan& b)
{
    const qint64 stepA = qMax<qint64>(1, a.step);
    const qint64 stepB = qMax<qint64>(1, b.step);
    const quint64 reachA = Reach(a);
    const quint64 reachB = Reach(b);
    // Where the two stretches of numbers meet, as offsets from a.first, and what an offset
    // is from b.first: b starts within a, or a within b.
    const quint64 ahead = (quint64(quint32(b.first)) - quint32(a.first)) & (kCircle - 1);
    const quint64 behind = (quint64(quint32(a.first)) - quint32(b.first)) & (kCircle - 1);
    qint64 fromOffset = 0;
    qint64 toOffset = 0;
    qint64 shift = 0; // offset from b.first = offset from a.first + shift
    if (ahead < reachA) {
        fromOffset = qint64(ahead);
        toOffset = qint64(qMin(reachA, ahead + reachB)) - 1;
        shift = -qint64(ahead);
    } else if (behind < reachB) {
        toOffset = qint64(qMin(reachA, reachB - behind)) - 1;
        shift = qint64(behind);
    } else {
        return std::nullopt;
    }
    // a's serials in there: indices i with i * stepA between the offsets, and
    // i * stepA + shift a multiple of stepB.
    const qint64 low = (fromOffset + stepA - 1) / stepA;
    const qint64 high = toOffset / stepA;
    if (low > high)
        return std::nullopt;
    const qint64 g = std::gcd(stepA, stepB);
    const qint64 wanted = PositiveMod(-shift, stepB);
    if (wanted % g != 0)
        return std::nullopt;
    const qint64 period = stepB / g;
    qint64 base = 0;
    if (period > 1)
        base = qint64((unsigned __int128)(wanted / g) * quint64(Inverse((stepA / g) % period, period)) % quint64(period));
    TSharedIndices shared;
    shared.period = period;
    shared.first = low + PositiveMod(base - low, period);
    if (shared.first > high)
        return std::nullopt;
    shared.last = high - PositiveMod(high - base, period);
    return shared;
}

} // namespace ticket
