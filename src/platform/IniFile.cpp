#include "platform/IniFile.h"

#include "platform/Exception.h"
#include "platform/FormatSettings.h"

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

// Blanks are spaces, tabs and every other control character.
QString Strip(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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

// Each line is UTF-8 unless it is not valid UTF-8: then it was edited in a legacy code
// page and its bytes are Latin-1. Deciding per line keeps one stray byte from garbling
// the text of every other line (and the next save from writing that garbage back).
QString DecodeLine(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
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
        throw Exception(QStringLiteral("Cannot open file %1").arg(fileName));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Cannot open file %1").arg(fileName));
    LoadFromBytes(bytes);
}

void TIniFile::LoadFromBytes(const QByteArray& bytes)
{
    sections_.clear();
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);

    qsizetype current = -1;
    qsizetype start = 0;
    while (start <= rest.size()) {
        qsizetype end = start;
        while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
            ++end;
        const QString line = Strip(DecodeLine(rest.sliced(start, end - start)));
        start = end + 1;
        if (end < rest.size() && rest[end] == '\r' && start < rest.size() && rest[start] == '\n')
            ++start;

        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = Strip(QStringView(line).mid(1, line.size() - 2));
            // A section met again goes on where it was first met.
            current = &SectionForWriting(name) - sections_.data();
            continue;
        }
        if (current < 0)
            continue; // nothing belongs to a file before its first section
        Line entry;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) {
            entry.key = line;
        } else {
            entry.isPair = true;
            entry.key = Strip(QStringView(line).left(equals));
            entry.value = Strip(QStringView(line).mid(equals + 1));
        }
        sections_[size_t(current)].lines.push_back(std::move(entry));
    }
}

QByteArray TIniFile::ToBytes() const
{
    QString text;
    for (const Section& section : sections_) {
        text += u'[' + section.name + QStringLiteral("]\r\n");
        for (const Line& line : section.lines) {
            text += line.key;
            if (line.isPair)
                text += u'=' + line.value;
            text += QStringLiteral("\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

void TIniFile::UpdateFile() const
{
    if (!inirules::WriteFileAtomically(fileName_, ToBytes()))
        throw Exception(QStringLiteral("Cannot create file %1").arg(fileName_));
}

const TIniFile::Section* TIniFile::FindSection(const QString& name) const
{
    for (const Section& section : sections_)
        if (SameName(section.name, name))
            return &section;
    return nullptr;
}

TIniFile::Section* TIniFile::FindSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

TIniFile::Section& TIniFile::SectionForWriting(const QString& name)
{
    if (Section* existing = FindSection(name))
        return *existing;
    sections_.push_back(Section { name, {} });
    return sections_.back();
}

const TIniFile::Line* TIniFile::FindKey(const Section& section, const QString& key)
{
    for (auto it = section.lines.rbegin(); it != section.lines.rend(); ++it)
        if (it->isPair && SameName(it->key, key))
            return &*it;
    return nullptr;
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    const Section* found = FindSection(section);
    if (!found)
        return std::nullopt;
    const Line* line = FindKey(*found, key);
    if (!line)
        return std::nullopt;
    return line->value;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return Value(section, key).value_or(defaultValue);
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& text)
{
    Section& target = SectionForWriting(section);
    const QString value = OnOneLine(text);
    // The last line of the key is the one readers see, so it is the one to change.
    if (const Line* line = FindKey(target, key))
        const_cast<Line*>(line)->value = value;
    else
        target.lines.push_back(Line { true, key, value });
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

bool TIniFile::SectionExists(const QString& section) const { return FindSection(section) != nullptr; }

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return Value(section, key).has_value();
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    if (const Section* found = FindSection(section)) {
        for (const Line& line : found->lines)
            if (line.isPair && !keys.contains(line.key, Qt::CaseInsensitive))
                keys.append(line.key);
    }
    return keys;
}

void TIniFile::EraseSection(const QString& section)
{
    std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); });
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    if (Section* found = FindSection(section))
        std::erase_if(found->lines, [&](const Line& line) { return line.isPair && SameName(line.key, key); });
}
