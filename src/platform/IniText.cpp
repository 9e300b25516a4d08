// Encodings and names: how a line's bytes become text and how names compare.
#include "platform/IniText.h"

#include <QStringDecoder>

namespace initext {

// Blanks are spaces, tabs and every other control character; they are single bytes in
// both encodings a line may have.
std::string_view Strip(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

namespace {
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
} // namespace

// Names match as QString's case-blind comparison matches them.
bool SameName(std::string_view a, std::string_view b)
{
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (AsciiLower(a[i]) != AsciiLower(b[i]))
                return false;
        return true;
    }
    return ToQString(a).compare(ToQString(b), Qt::CaseInsensitive) == 0;
}

// Equal for names that SameName() matches: a hash of the case-folded code points.
quint32 FoldedHash(std::string_view name)
{
    quint32 hash = 2166136261u;
    auto add = [&hash](char32_t c) {
        hash = (hash ^ quint32(c)) * 16777619u;
    };
    if (IsAscii(name)) {
        for (char c : name)
            add(char32_t(AsciiLower(c)));
    } else {
        const QString text = ToQString(name);
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            add(QChar::toCaseFolded(c));
        }
    }
    return hash ^ (hash >> 15);
}

// Each line is UTF-8 unless it is not valid UTF-8: then it was edited in a legacy code
// page and its bytes are Latin-1. Deciding per line keeps one stray byte from garbling
// the text of every other line (and the next save from writing that garbage back).
bool IsUtf8(std::string_view line)
{
    if (IsAscii(line))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = utf8(QByteArrayView(line.data(), qsizetype(line.size())));
    return !utf8.hasError();
}

// A value cannot span lines in this format, and a line break in it would let it write
// keys or sections of its own: each line break (CR LF, CR or LF) becomes one blank.
QString OnOneLine(const QString& value)
{
    if (!value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    QString line;
    line.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
            continue; // the LF that follows stands for the pair
        line += (c == u'\r' || c == u'\n') ? QChar(u' ') : c;
    }
    return line;
}

} // namespace initext
