#pragma once

#include "platform/FormatSettings.h"

#include <QString>

#include <cstdint>
#include <optional>

// The value rules of the input field that need no widget: number classification,
// formatting with the user's separators, reading text as numbers, the mixed-case rule.
// Every function takes the separators explicitly so tests can pin them.

enum TValueEditType {
    etString,
    etNumeric,
    etFloat,
    etUppercase,
    etMixedCase,
    etLowerCase,
    etPassword,
    etMoney,
    etRange,
    etHex,
    etAlphaNumeric
};

enum TEditAlign { eaLeft, eaRight, eaDefault, eaCenter };

enum TNumberKind { nkInteger, nkDecimal, nkHex, nkInvalid };

namespace valuetext {

// Kind of number a text holds. A minus may stand anywhere; comma and full stop are
// allowed in decimals whatever the locale says, but only the locale's separators count.
TNumberKind ClassifyNumber(const QString& text, const FormatSettings& fs);

// Length of the integer part once thousand separators are removed.
int IntegerLength(const QString& value, const FormatSettings& fs);

// A number as decimal digits: |value| = 0.digits * 10^pointAt, no leading or trailing
// zeros (no digits for zero).
struct Decimal {
    bool negative = false;
    QString digits;
    int pointAt = 0;
};
// The shortest digits that read back as x, so a value a double holds exactly keeps
// every digit.
Decimal DecimalOf(double x);
// The digits of a text as TextToFloat reads it, without passing through a double;
// nothing where TextToFloat would give 0 for want of a number.
std::optional<Decimal> ParseDecimal(const QString& text, const FormatSettings& fs);
// The integer part, truncated toward zero.
Decimal Truncated(const Decimal& d);
QString FormatFixed(const Decimal& d, int decimals, const FormatSettings& fs);
QString FormatNumber(const Decimal& d, int decimals, const FormatSettings& fs);

// "%.<decimals>f": fixed, rounded half away from zero on the decimal digits.
QString FormatFixed(double x, int decimals, const FormatSettings& fs);
// "%.<decimals>n": as fixed, with thousand separators in the integer part.
QString FormatNumber(double x, int decimals, const FormatSettings& fs);
// The general form: every digit of the shortest round-trip representation, in plain
// notation (a value the field would refuse with an exponent keeps its digits).
QString FormatGeneral(double x, const FormatSettings& fs);
QString FormatGeneral(const Decimal& d, const FormatSettings& fs);

// Removes thousand separators, then converts with the locale's decimal separator
// (blanks around, a sign and an exponent are accepted). Anything else gives 0.
double TextToFloat(const QString& text, const FormatSettings& fs);

// Leading whole number: optional sign, "$"/"x"/"0x" for hexadecimal, digits up to the
// first non-digit or the digit that would overflow. The sign counts only when nothing
// stopped the reading ("-12a" reads 12).
std::int32_t ReadWholeNumber(const QString& text);
// False when ReadWholeNumber would stop at a digit because the number no longer fits in
// 32 bits: such a text would show one number and give another.
bool WholeNumberFits(const QString& text);

// Each character from the right counts its hex digit value times 16^place (others 0),
// summed with 32-bit wrap-around.
std::int32_t HexValue(const QString& text);

// Upper-case hexadecimal digits without leading zeros (two's complement for negatives).
QString HexDigits(std::int64_t n);

// Re-cases a name: capitals after blanks and punctuation, "Mc" prefixes, roman "II".
QString MixedCase(const QString& text);

// The thousand-separator distance rule for typing a separator at valueCaret (counted
// from 0 in the value): a value holding thousand separators takes another separator
// only exactly three characters from the nearest one.
bool SeparatorDistanceAllows(const QString& value, int valueCaret, const FormatSettings& fs);

} // namespace valuetext
