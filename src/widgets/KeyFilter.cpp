#include "widgets/KeyFilter.h"

#include <algorithm>

namespace keyfilter {

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}
bool IsHexLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}
bool IsRangeSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('-') || c == QLatin1Char(';');
}
bool IsEditKey(QChar c) { return c == kBackspace || c == kTab || c == kReturn; }

Decision Refused(Decision d, bool afterSteps)
{
    d.action = Action::Drop;
    d.afterSteps = afterSteps;
    return d;
}

Decision Passed(Decision d, const QString& text)
{
    d.action = Action::Pass;
    d.text = text;
    d.afterSteps = true;
    return d;
}

Decision DecimalType(const Input& in, Decision d, const FormatSettings& fs)
{
    const QChar ch = d.ch;
    const QChar dec = fs.DecimalSeparator;
    const QChar thousand = fs.ThousandSeparator;
    const bool money = in.type == etMoney;
    const int prefixLength = int(in.prefix.size());
    const int valueCaret = in.selStart - prefixLength;
    const bool hasSelection = in.selLength > 0;

    // A comma or full stop only where the locale uses it.
    if (!money) {
        if (ch == QLatin1Char(',') && dec != ch && thousand != ch)
            return Refused(d, false);
        if (ch == QLatin1Char('.') && dec != ch && thousand != ch)
            return Refused(d, false);
    }
    // The type's list.
    const bool candidate =
        money ? (IsEditKey(ch) || ch == QLatin1Char('-') || IsDigit(ch) || ch == dec)
              : (IsEditKey(ch) || ch == QLatin1Char(',') || ch == QLatin1Char('-') ||
                 ch == QLatin1Char('.') || IsDigit(ch));
    if (!candidate)
        return Refused(d, true);

    const int decimalAt = int(in.value.indexOf(dec));
    // One decimal separator; typing it again moves into the decimals.
    if (ch == dec) {
        const bool replacesSelected = !money && in.selectedText.contains(dec);
        if ((decimalAt >= 0 && !replacesSelected) || in.precision == 0) {
            if (in.precision > 0) { // so the value already holds one
                d.action = Action::JumpCaret;
                d.caret = prefixLength + decimalAt + 1;
                d.afterSteps = false;
                return d;
            }
            return Refused(d, false);
        }
    }
    // Separators keep their distance from the existing thousand separators.
    if ((ch == thousand || ch == dec) && !valuetext::SeparatorDistanceAllows(in.value, valueCaret, fs))
        return Refused(d, false);
    // Full decimals are overwritten rather than extended.
    if (in.precision > 0 && decimalAt >= 0 && valueCaret > decimalAt &&
        in.value.size() - valueCaret <= in.precision &&
        in.value.size() - decimalAt - 1 >= in.precision && (IsDigit(ch) || ch == dec) &&
        !hasSelection) {
        if (ch == dec || valueCaret >= in.value.size())
            return Refused(d, false);
        d = Passed(d, QString(ch));
        d.action = Action::OverwritePass;
        return d;
    }
    // A separator typed into an empty value starts it with "0".
    if (ch == dec && in.value.isEmpty() && valueCaret == 0) {
        d.action = Action::ZeroDecimal;
        d.afterSteps = false;
        return d;
    }
    // Minus toggles the sign unless it replaces a selection.
    if (ch == QLatin1Char('-') && !hasSelection) {
        d.action = Action::ToggleSign;
        d.afterSteps = false;
        return d;
    }
    // Everything else goes in; money regroups its integer part.
    d = Passed(d, QString(ch));
    d.regroup = money && ch != dec;
    return d;
}

} // namespace

Decision Filter(const Input& in, QChar ch, const FormatSettings& fs)
{
    Decision d;
    d.ch = ch;
    if (ch == kReturn) {
        d.action = Action::ReturnKey;
        return d;
    }
    if (ch == kEscape && !in.canUndo) {
        d.action = Action::Pass;
        d.text = QString(ch);
        return d;
    }
    // Control with a letter is one of the field's shortcuts (Ctrl+A selects all, Ctrl+Z
    // undoes), never a character: every type lets it through, whatever the value holds.
    if (in.controlHeld && ch.unicode() < 0x20 && !IsEditKey(ch) && ch != kEscape)
        return Passed(d, QString(ch));
    if (in.excelStyleDecimalSeparator && in.keypadDecimalKey && ch == QLatin1Char('.'))
        d.ch = ch = fs.DecimalSeparator;

    const int prefixLength = int(in.prefix.size());
    const bool hasSelection = in.selLength > 0;
    const QString windowText = in.prefix + in.value;

    // The caret never backs into the prefix.
    if (ch == kBackspace && prefixLength > 0 && !hasSelection && in.selStart <= prefixLength)
        return Refused(d, false);
    // A full integer part takes only Backspace and the decimal separator before the point.
    if (in.lengthLimit > 0 && valuetext::IntegerLength(in.value, fs) >= in.lengthLimit &&
        !hasSelection) {
        const int decimalAt = int(in.value.indexOf(fs.DecimalSeparator));
        const bool beforePoint = decimalAt < 0 || in.selStart <= prefixLength + decimalAt;
        if (beforePoint && ch != kBackspace && ch != fs.DecimalSeparator)
            return Refused(d, false);
    }
    // Deleting a decimal separator must not push the integer part over the limit.
    if (ch == kBackspace && in.lengthLimit > 0 &&
        valuetext::IntegerLength(
            ValueAfterDeletion(in.value, int(in.prefix.size()), in.selStart, in.selLength, false),
            fs) > in.lengthLimit)
        return Refused(d, false);
    const bool numberType = in.type == etNumeric || in.type == etFloat || in.type == etMoney;
    if (ch == QLatin1Char('-') && numberType && !in.isSigned)
        return Refused(d, false);

    switch (in.type) {
    case etString:
    case etPassword:
        return Passed(d, QString(ch));
    case etUppercase:
        return Passed(d, QString(ch).toUpper());
    case etLowerCase:
        return Passed(d, QString(ch).toLower());
    case etMixedCase:
        d = Passed(d, QString(ch));
        d.mixedCase = true;
        return d;
    case etNumeric:
        if (ch == QLatin1Char('-')) {
            d.action = Action::ToggleSign;
            d.afterSteps = true;
            return d;
        }
        // Other characters only with Control, so the control's shortcuts keep working.
        if (IsEditKey(ch) || IsDigit(ch) || in.controlHeld)
            return Passed(d, QString(ch));
        return Refused(d, true);
    case etHex:
        if (IsEditKey(ch) || ch == QLatin1Char('-') || IsDigit(ch) || IsHexLetter(ch))
            return Passed(d, QString(ch));
        return Refused(d, true);
    case etAlphaNumeric:
        if (IsEditKey(ch) || IsDigit(ch) || IsAsciiLetter(ch))
            return Passed(d, QString(ch));
        return Refused(d, true);
    case etRange:
        if (IsRangeSeparator(ch)) {
            // A range never starts with a separator and never has two in a row.
            const int caret = in.selStart;
            const bool atStart = caret <= prefixLength;
            const bool before = caret > 0 && caret - 1 < windowText.size() &&
                                IsRangeSeparator(windowText.at(caret - 1));
            const bool after = caret >= 0 && caret < windowText.size() &&
                               IsRangeSeparator(windowText.at(caret));
            if (atStart || before || after)
                return Refused(d, false);
            return Passed(d, QString(ch));
        }
        if (IsEditKey(ch) || IsDigit(ch))
            return Passed(d, QString(ch));
        return Refused(d, true);
    case etFloat:
    case etMoney:
        return DecimalType(in, d, fs);
    }
    return Refused(d, false);
}

QString ValueAfterDeletion(const QString& value, int prefixLength, int selStart, int selLength,
                           bool forward)
{
    const auto toValue = [&](int windowPosition) {
        return std::clamp(windowPosition - prefixLength, 0, int(value.size()));
    };
    QString after = value;
    if (selLength > 0) {
        const int from = toValue(selStart);
        after.remove(from, toValue(selStart + selLength) - from);
    } else {
        const int at = selStart - prefixLength - (forward ? 0 : 1);
        if (at >= 0 && at < after.size())
            after.remove(at, 1);
    }
    return after;
}

} // namespace keyfilter
