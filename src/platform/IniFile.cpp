#include "platform/IniFile.h"

#include "platform/Exception.h"
#include "platform/FormatSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <atomic>
#include <charconv>
#include <cmath>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

std::string_view AsView(const QByteArray& bytes) { return { bytes.constData(), size_t(bytes.size()) }; }

QString ToQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

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

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

void SyncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the rename itself has already happened
    ::close(fd);
}

// A save that was killed leaves its temporary file behind; the next save of the same
// file removes those whose writer no longer runs.
void RemoveOrphanedTemporaries(const QString& directory, const QString& fileName)
{
    const QString prefix = u'.' + fileName + u'.';
    const QStringList candidates = QDir(directory).entryList({ prefix + QStringLiteral("*.tmp") },
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& candidate : candidates) {
        const QString middle = candidate.mid(prefix.size(), candidate.size() - prefix.size() - 4);
        bool ok = false;
        const int pid = middle.section(u'-', 0, 0).toInt(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(directory + u'/' + candidate);
    }
}

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

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // Replace what a symbolic link points at, not the link.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QFileInfo targetInfo(target);
    const QString directory = targetInfo.absolutePath();
    // Renaming would replace a file its owner made read-only; honour that as a write would.
    if (::access(QFile::encodeName(target).constData(), W_OK) != 0 && errno != ENOENT)
        return false;

    static std::atomic<unsigned> counter { 0 };
    QString temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QStringLiteral("%1/.%2.%3-%4.tmp")
                        .arg(directory, targetInfo.fileName())
                        .arg(::getpid())
                        .arg(counter.fetch_add(1));
        fd = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    const QByteArray temporaryName = QFile::encodeName(temporary);
    struct stat old {};
    bool ok = WriteAll(fd, bytes);
    // Keep the permissions the user gave the old file.
    if (ok && ::stat(QFile::encodeName(target).constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporaryName.constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) {
        ::unlink(temporaryName.constData());
        return false;
    }
    SyncDirectory(directory);
    RemoveOrphanedTemporaries(directory, targetInfo.fileName());
    return true;
}

} // namespace inirules

TIniFile::TIniFile(const QString& fileName)
    : fileName_(fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QCoreApplication::translate("TIniFile", "Cannot open file %1").arg(fileName));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QCoreApplication::translate("TIniFile", "Cannot open file %1").arg(fileName));
    LoadFromBytes(bytes);
}

void TIniFile::LoadFromBytes(const QByteArray& bytes)
{
    text_.clear();
    wasted_ = 0;
    lines_.clear();
    sections_.clear();
    sectionIndex_.Clear();
    keyIndexes_.clear();

    std::string_view rest = AsView(bytes);
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    text_.reserve(rest.size());

    qint64 current = -1;
    QByteArray converted;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = start;
        while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
            ++end;
        std::string_view line = Strip(rest.substr(start, end - start));
        start = end + 1;
        if (end < rest.size() && rest[end] == '\r' && start < rest.size() && rest[start] == '\n')
            ++start;
        if (!IsUtf8(line)) {
            converted = QString::fromLatin1(line.data(), qsizetype(line.size())).toUtf8();
            line = AsView(converted);
        }

        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            // A section met again goes on where it was first met.
            current = SectionForWriting(Strip(line.substr(1, line.size() - 2)));
            continue;
        }
        if (current < 0)
            continue; // nothing belongs to a file before its first section
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            AddLine(quint32(current), line, {}, false);
        else
            AddLine(quint32(current), Strip(line.substr(0, equals)), Strip(line.substr(equals + 1)), true);
    }
}

QByteArray TIniFile::ToBytes() const
{
    qsizetype size = 0;
    for (const Section& section : sections_) {
        size += section.nameLength + 6;
        for (quint32 id = section.first; id != kNone; id = lines_[id].next)
            size += lines_[id].length + 2;
    }
    QByteArray bytes;
    bytes.reserve(size);
    auto append = [&bytes](std::string_view text) { bytes.append(text.data(), qsizetype(text.size())); };
    for (const Section& section : sections_) {
        bytes += '[';
        append(NameOf(section));
        bytes += "]\r\n";
        for (quint32 id = section.first; id != kNone; id = lines_[id].next) {
            append(View(lines_[id].offset, lines_[id].length));
            bytes += "\r\n";
        }
        bytes += "\r\n";
    }
    return bytes;
}

void TIniFile::UpdateFile() const
{
    if (!inirules::WriteFileAtomically(fileName_, ToBytes()))
        throw Exception(QCoreApplication::translate("TIniFile", "Cannot create file %1").arg(fileName_));
}

// ---- The index ---------------------------------------------------------------------------

void TIniFile::NameIndex::Clear()
{
    slots_.clear();
    used_ = 0;
}

template <class Same>
qint64 TIniFile::NameIndex::Find(quint32 hash, Same same) const
{
    if (slots_.empty())
        return -1;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.position == kNone)
            return -1;
        if (slot.hash == hash && same(slot.position))
            return slot.position;
    }
}

template <class Same>
void TIniFile::NameIndex::Put(quint32 hash, quint32 position, Same same)
{
    if ((used_ + 1) * 2 > slots_.size())
        Grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.position == kNone) {
            slot = Slot { hash, position };
            ++used_;
            return;
        }
        if (slot.hash == hash && same(slot.position)) {
            slot.position = position;
            return;
        }
    }
}

void TIniFile::NameIndex::Grow()
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<size_t>(16, old.size() * 2), Slot {});
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.position == kNone)
            continue;
        size_t i = slot.hash & mask;
        while (slots_[i].position != kNone)
            i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

// ---- Sections and lines ------------------------------------------------------------------

namespace {
// Sections with more lines than this find their keys through an index.
constexpr quint32 kIndexedLines = 8;
} // namespace

std::string_view TIniFile::View(qsizetype offset, qsizetype length) const
{
    return std::string_view(text_).substr(size_t(offset), size_t(length));
}

std::string_view TIniFile::NameOf(const Section& section) const { return View(section.nameOffset, section.nameLength); }

std::string_view TIniFile::KeyOf(const Line& line) const { return View(line.offset, std::max(line.keyLength, 0)); }

std::string_view TIniFile::ValueOf(const Line& line) const
{
    return View(line.offset + line.keyLength + 1, qsizetype(line.length) - line.keyLength - 1);
}

qint64 TIniFile::FindSection(std::string_view name) const
{
    return sectionIndex_.Find(FoldedHash(name), [&](quint32 i) { return SameName(NameOf(sections_[i]), name); });
}

quint32 TIniFile::SectionForWriting(std::string_view name)
{
    const qint64 existing = FindSection(name);
    if (existing >= 0)
        return quint32(existing);
    Section section;
    section.nameOffset = qsizetype(text_.size());
    section.nameLength = quint32(name.size());
    text_.append(name);
    sections_.push_back(section);
    const quint32 position = quint32(sections_.size() - 1);
    sectionIndex_.Put(FoldedHash(name), position, [](quint32) { return false; });
    return position;
}

qint64 TIniFile::FindKey(const Section& section, std::string_view key) const
{
    if (section.keys >= 0) {
        return keyIndexes_[size_t(section.keys)].Find(
            FoldedHash(key), [&](quint32 id) { return SameName(KeyOf(lines_[id]), key); });
    }
    qint64 found = -1; // the last line of the key is the one that counts
    for (quint32 id = section.first; id != kNone; id = lines_[id].next)
        if (lines_[id].keyLength >= 0 && SameName(KeyOf(lines_[id]), key))
            found = id;
    return found;
}

void TIniFile::AddLine(quint32 sectionIndex, std::string_view key, std::string_view value, bool isPair)
{
    Line line;
    line.offset = qsizetype(text_.size());
    text_.append(key);
    if (isPair) {
        line.keyLength = qint32(key.size());
        text_ += '=';
        text_.append(value);
    }
    line.length = quint32(qsizetype(text_.size()) - line.offset);
    lines_.push_back(line);
    const quint32 id = quint32(lines_.size() - 1);

    Section& section = sections_[sectionIndex];
    if (section.last == kNone)
        section.first = id;
    else
        lines_[section.last].next = id;
    section.last = id;
    ++section.count;
    if (section.keys >= 0) {
        if (isPair)
            keyIndexes_[size_t(section.keys)].Put(
                FoldedHash(key), id, [&](quint32 other) { return SameName(KeyOf(lines_[other]), key); });
    } else if (section.count > kIndexedLines) {
        IndexKeys(section);
    }
}

void TIniFile::IndexKeys(Section& section)
{
    if (section.keys < 0) {
        section.keys = qint32(keyIndexes_.size());
        keyIndexes_.emplace_back();
    }
    NameIndex& index = keyIndexes_[size_t(section.keys)];
    index.Clear();
    for (quint32 id = section.first; id != kNone; id = lines_[id].next) {
        if (lines_[id].keyLength < 0)
            continue;
        const std::string_view key = KeyOf(lines_[id]);
        index.Put(FoldedHash(key), id, [&](quint32 other) { return SameName(KeyOf(lines_[other]), key); });
    }
}

void TIniFile::IndexSections()
{
    sectionIndex_.Clear();
    for (size_t i = 0; i < sections_.size(); ++i)
        sectionIndex_.Put(FoldedHash(NameOf(sections_[i])), quint32(i), [](quint32) { return false; });
}

// Changed values are appended to the text; once most of it is stale, it is rebuilt.
void TIniFile::CompactIfWasteful()
{
    if (wasted_ < 4096 || wasted_ * 2 < qsizetype(text_.size()))
        return;
    std::string text;
    text.reserve(text_.size() - size_t(wasted_));
    for (Section& section : sections_) {
        const qsizetype nameOffset = qsizetype(text.size());
        text.append(NameOf(section));
        section.nameOffset = nameOffset;
        for (quint32 id = section.first; id != kNone; id = lines_[id].next) {
            Line& line = lines_[id];
            const qsizetype offset = qsizetype(text.size());
            text.append(View(line.offset, line.length));
            line.offset = offset;
        }
    }
    text_.swap(text);
    wasted_ = 0;
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    const QByteArray sectionName = section.toUtf8();
    const qint64 found = FindSection(AsView(sectionName));
    if (found < 0)
        return std::nullopt;
    const QByteArray keyName = key.toUtf8();
    const qint64 line = FindKey(sections_[size_t(found)], AsView(keyName));
    if (line < 0)
        return std::nullopt;
    return ToQString(ValueOf(lines_[size_t(line)]));
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return Value(section, key).value_or(defaultValue);
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& text)
{
    const QByteArray sectionName = section.toUtf8();
    const QByteArray keyName = key.toUtf8();
    const QByteArray value = OnOneLine(text).toUtf8();
    const quint32 target = SectionForWriting(AsView(sectionName));
    const qint64 existing = FindKey(sections_[target], AsView(keyName));
    if (existing < 0) {
        AddLine(target, AsView(keyName), AsView(value), true);
        return;
    }
    // The last line of the key is the one readers see, so it is the one to change; it
    // keeps the key as the file spells it.
    Line& line = lines_[size_t(existing)];
    const std::string spelling(KeyOf(line));
    wasted_ += line.length;
    line.offset = qsizetype(text_.size());
    text_ += spelling;
    text_ += '=';
    text_.append(AsView(value));
    line.length = quint32(qsizetype(text_.size()) - line.offset);
    CompactIfWasteful();
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    if (!text)
        return defaultValue;
    return inirules::ParseInteger(*text).value_or(defaultValue);
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    if (!text)
        return defaultValue;
    return inirules::ParseFloat(*text, FormatSettings::Current().DecimalSeparator).value_or(defaultValue);
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, inirules::FormatFloat(value, FormatSettings::Current().DecimalSeparator));
}

bool TIniFile::SectionExists(const QString& section) const
{
    const QByteArray name = section.toUtf8();
    return FindSection(AsView(name)) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return Value(section, key).has_value();
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    const QByteArray name = section.toUtf8();
    const qint64 found = FindSection(AsView(name));
    if (found < 0)
        return keys;
    std::vector<std::string_view> seen;
    NameIndex index;
    for (quint32 id = sections_[size_t(found)].first; id != kNone; id = lines_[id].next) {
        if (lines_[id].keyLength < 0)
            continue;
        const std::string_view key = KeyOf(lines_[id]);
        const quint32 hash = FoldedHash(key);
        auto same = [&](quint32 i) { return SameName(seen[i], key); };
        if (index.Find(hash, same) >= 0)
            continue;
        index.Put(hash, quint32(seen.size()), same);
        seen.push_back(key);
        keys.append(ToQString(key));
    }
    return keys;
}

void TIniFile::EraseSection(const QString& section)
{
    const QByteArray name = section.toUtf8();
    const qint64 found = FindSection(AsView(name));
    if (found < 0)
        return;
    Section& erased = sections_[size_t(found)];
    wasted_ += erased.nameLength;
    for (quint32 id = erased.first; id != kNone; id = lines_[id].next)
        wasted_ += lines_[id].length;
    if (erased.keys >= 0)
        keyIndexes_[size_t(erased.keys)].Clear();
    sections_.erase(sections_.begin() + found);
    IndexSections();
    CompactIfWasteful();
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    const QByteArray sectionName = section.toUtf8();
    const qint64 found = FindSection(AsView(sectionName));
    if (found < 0)
        return;
    const QByteArray keyName = key.toUtf8();
    Section& target = sections_[size_t(found)];
    // Every line of the key goes, so an earlier duplicate cannot come back.
    quint32 previous = kNone;
    bool removed = false;
    for (quint32 id = target.first; id != kNone;) {
        const quint32 next = lines_[id].next;
        if (lines_[id].keyLength >= 0 && SameName(KeyOf(lines_[id]), AsView(keyName))) {
            (previous == kNone ? target.first : lines_[previous].next) = next;
            if (target.last == id)
                target.last = previous;
            wasted_ += lines_[id].length;
            --target.count;
            removed = true;
        } else {
            previous = id;
        }
        id = next;
    }
    if (removed && target.keys >= 0)
        IndexKeys(target);
    CompactIfWasteful();
}
