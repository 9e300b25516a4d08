#include "run/PrintedSerial.h"

#include <algorithm>
#include <limits>

namespace printedserial {

namespace {

// The number a text of digits (a minus sign in front allowed) is, when the width
// rule holds: padded to `digits`, or with an unknown width any zero padding.
std::optional<qint32> NumberOf(QStringView text, std::optional<int> digits)
{
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype from = text.front() == QLatin1Char('-') ? 1 : 0;
    if (from == text.size())
        return std::nullopt;
    for (qsizetype i = from; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return std::nullopt;
    // A number past 32 bits is no serial.
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    const int width = digits ? *digits : int(text.size());
    if (ticket::NumberText(qint32(value), width) != text)
        return std::nullopt;
    return qint32(value);
}

} // namespace

TSerialFormat FormatOf(const TJournalRecord& run)
{
    return { run.prefix, run.suffix, run.digits, ticket::ParseCheck(run.check).value_or(ticket::TCheck::None), run.checkSeparator,
             run.letters, run.letterSeparator };
}

bool SameText(const TSerialFormat& a, const TSerialFormat& b)
{
    // Widths of 0 and 1 pad no number.
    const bool sameWidth = !a.digits || !b.digits || *a.digits == *b.digits || qMax(*a.digits, *b.digits) <= 1;
    return a.prefix == b.prefix && a.suffix == b.suffix && a.check == b.check
        && (a.check == ticket::TCheck::None || a.checkSeparator == b.checkSeparator) && sameWidth && a.letters == b.letters
        && (a.letters == 0 || a.letterSeparator == b.letterSeparator);
}

QString Text(const TSerialFormat& format, qint32 number)
{
    return ticket::SerialParts(format.prefix, number, format.suffix, format.digits.value_or(0), format.check, format.checkSeparator,
                              format.letters, format.letterSeparator).text;
}

QString Text(const TJournalRecord& run, qint32 number)
{
    return Text(FormatOf(run), number);
}

std::optional<qint32> Parse(const QString& text, const TSerialFormat& format)
{
    if (text.size() < format.prefix.size() + format.suffix.size() || !text.startsWith(format.prefix)
        || !text.endsWith(format.suffix))
        return std::nullopt;
    QStringView middle = QStringView(text).mid(format.prefix.size(), text.size() - format.prefix.size() - format.suffix.size());
    // The check character is one character after the number.
    QStringView check;
    if (format.check != ticket::TCheck::None) {
        if (middle.size() < 2)
            return std::nullopt;
        check = middle.right(1);
        middle.chop(1);
        if (!middle.endsWith(format.checkSeparator))
            return std::nullopt;
        middle.chop(format.checkSeparator.size());
    }
    if (format.letters > 0) {
        // Letters, then digits; the check is over the digits.
        const std::optional<qint32> number = ticket::ParseLettered(middle, format.letters, format.letterSeparator, format.digits.value_or(1));
        if (!number || ticket::CheckCharacter(format.check, middle.last(qMax(1, format.digits.value_or(1)))) != check)
            return std::nullopt;
        return number;
    }
    const std::optional<qint32> number = NumberOf(middle, format.digits);
    if (!number || ticket::CheckCharacter(format.check, middle) != check)
        return std::nullopt;
    return number;
}

std::optional<qint32> ParseBare(const QString& text, const TSerialFormat& format)
{
    const std::optional<qint32> number = NumberOf(text, std::nullopt);
    if (!number)
        return std::nullopt;
    if (text == QString::number(*number) || !format.digits || text == ticket::NumberText(*number, *format.digits))
        return number;
    return std::nullopt;
}

std::optional<qint32> NumberIn(const QString& text, const TJournalRecord& run)
{
    const std::optional<qint32> number = Parse(text, FormatOf(run));
    return number && run.Covers(*number) ? number : std::nullopt;
}

QList<TNamed> Named(const QString& text, const QList<TJournalRecord>& runs)
{
    QList<TNamed> printed;
    QList<TNamed> bare;
    for (const TJournalRecord& run : runs) {
        if (!run.first || !run.last)
            continue;
        if (const std::optional<qint32> number = NumberIn(text, run)) {
            printed << TNamed { &run, *number, true };
        } else if (const std::optional<qint32> plain = ParseBare(text, FormatOf(run)); plain && run.Covers(*plain)) {
            bare << TNamed { &run, *plain, false };
        }
    }
    // A text that is a printed serial means that serial, not the number it also spells.
    return printed.isEmpty() ? bare : printed;
}

QList<TJournalRecord> RunsNaming(const QString& text, const QList<TJournalRecord>& runs)
{
    QList<TNamed> named = Named(text, runs);
    if (named.isEmpty() && text.trimmed() != text)
        named = Named(text.trimmed(), runs);
    QList<TJournalRecord> found;
    for (const TNamed& reading : named)
        found << *reading.run;
    return found;
}

QList<qint64> NumbersIn(const QString& text)
{
    QList<qint64> numbers;
    for (qsizetype from = 0; from < text.size(); ++from) {
        if (!text[from].isDigit())
            continue;
        const bool minus = from > 0 && text[from - 1] == u'-';
        // Up to 32 digits (a padded width), but only values a serial can have.
        for (qsizetype to = from; to < text.size() && text[to].isDigit() && to - from < 32; ++to) {
            bool ok = false;
            const qint64 value = text.mid(from, to - from + 1).toLongLong(&ok);
            if (!ok || value > std::numeric_limits<qint32>::max() + qint64(1))
                break;
            if (value <= std::numeric_limits<qint32>::max())
                numbers << value;
            if (minus)
                numbers << -value;
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace printedserial
