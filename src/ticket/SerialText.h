#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// The serial's text, without widgets: the number padded with zeros, the check character
// after it, and the arithmetic of serials that go up in steps on the 32-bit circle the
// counter wraps around.
namespace ticket {

// The check character printed right after the number.
enum class TCheck { None, Luhn, Mod10, Mod11, Mod7 };

// "none", "luhn", "mod10", "mod11", "mod7", as the settings file, the journal and the
// command line spell them; ParseCheck takes any case and surrounding blanks, and an empty
// text as none.
QString CheckName(TCheck check);
std::optional<TCheck> ParseCheck(const QString& text);

// The check character of the digits as printed (zero padding included). Anything but a
// digit is skipped, so a negative number's check is its digits' without the sign. Empty
// for TCheck::None or a text without digits.
//   luhn: ISO/IEC 7812 (every second digit from the right doubled)
//   mod10: weights 3, 1, 3, ... from the right, (10 - sum mod 10) mod 10
//   mod11: weights 2..7 repeating from the right, (11 - sum mod 11) mod 11, 10 as "X"
//   mod7: the digits' number mod 7
QString CheckCharacter(TCheck check, QStringView digits);

// The number in decimal, padded with zeros to `digits` characters when that is more than
// its length; a minus sign stays in front and counts in the width (-7 at 5 is "-0007").
QString NumberText(qint32 number, int digits = 0);

// Letter series: `letters` letters (A for 0 ... Z for 25, the leftmost the most
// significant) for number div 10^digits, the separator, then number mod 10^digits in
// `digits` digits (at least 1). With 2 letters and 4 digits 9999 is AA9999, 10000 AB0000.
inline constexpr int kMaxLetters = 4;
// The last number such a series prints (ZZ9999 above: 6,759,999); -1 without letters.
qint64 LastLettered(int letters, int digits);
// The number as a letter series prints it, or nothing for a number it cannot print
// (below 0 or past the last).
std::optional<QString> LetteredText(qint64 number, int letters, const QString& separator, int digits);
// The number `text` is, when it is exactly what the series prints for it.
std::optional<qint32> ParseLettered(QStringView text, int letters, const QString& separator, int digits);

// One serial as printed: the padded number, its check character, and prefix + number +
// check + suffix.
struct TSerialParts {
    QString number;
    QString check;
    QString text;
};
// `checkSeparator` stands between the number and its check character (none without one).
// With letters, the number is the letter series' text and the check is over its digits;
// a number the series cannot print is shown plain (a print of it is refused beforehand).
TSerialParts SerialParts(const QString& prefix, qint32 number, const QString& suffix, int digits, TCheck check,
                         const QString& checkSeparator = QString(), int letters = 0,
                         const QString& letterSeparator = QString());

// first + index * step, wrapping as a signed 32-bit value.
qint32 NthSerial(qint32 first, qint64 index, qint64 step);

// count serials from first, step apart, on the 32-bit circle (step 1 and above).
struct TSerialSpan {
    qint32 first = 0;
    qint64 count = 1;
    qint64 step = 1;
};

// Which serials of `a` are serials of `b` too: the first and last such index into a
// (counted from 0), and the period between them (every period-th index from first to last
// is shared, no other). Nothing when they share none. Spans of at most 2^32 numbers each.
struct TSharedIndices {
    qint64 first = 0;
    qint64 last = 0;
    qint64 period = 1;
    friend bool operator==(const TSharedIndices&, const TSharedIndices&) = default;
};
std::optional<TSharedIndices> SharedIndices(const TSerialSpan& a, const TSerialSpan& b);

} // namespace ticket
