// Reading: the file parsed into its lines, and the values looked up.
#include "platform/IniFile.h"

#include "platform/IniIndex.h"
#include "platform/IniText.h"
#include "platform/RegularFile.h"

using namespace initext;

TIniFile::TIniFile(const QString& fileName)
    : fileName_(fileName)
{
    if (fileName.isEmpty())
        return;
    if (const std::optional<QByteArray> bytes = regularfile::Read(fileName))
        LoadFromBytes(*bytes);
}

void TIniFile::LoadFromBytes(const QByteArray& bytes)
{
    text_.clear();
    wasted_ = 0;
    lines_.clear();
    sections_.clear();
    sectionIndex_.Clear();
    keyIndexes_.clear();
    firstLine_ = lastLine_ = kNone;
    raw_.assign(bytes.constData(), size_t(bytes.size()));
    lineEnd_ = "\r\n";
    text_.reserve(raw_.size());

    const std::string_view all(raw_);
    const bool byteOrderMark = all.starts_with("\xEF\xBB\xBF");
    bool lineEndSeen = false;
    qint64 current = -1;
    QByteArray converted;
    loading_ = true;
    for (size_t start = 0; start < all.size();) {
        size_t end = start;
        while (end < all.size() && all[end] != '\n' && all[end] != '\r')
            ++end;
        size_t lineEnd = 0;
        if (end < all.size())
            lineEnd = all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n' ? 2 : 1;
        if (lineEnd > 0 && !lineEndSeen) {
            lineEnd_ = std::string(all.substr(end, lineEnd)); // new lines follow the file's habit
            lineEndSeen = true;
        }
        std::string_view content = all.substr(start, end - start);
        if (start == 0 && byteOrderMark)
            content.remove_prefix(3);
        std::string_view line = Strip(content);
        if (!IsUtf8(line)) {
            converted = QString::fromLatin1(line.data(), qsizetype(line.size())).toUtf8();
            line = AsView(converted);
        }

        if (line.empty() || line.front() == ';') {
            NewLine(Kind::Other, kNone);
        } else if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            // A section met again goes on where it was first met.
            const std::string_view name = Strip(line.substr(1, line.size() - 2));
            const qint64 existing = FindSection(name);
            if (existing >= 0) {
                current = existing;
                const quint32 header = NewLine(Kind::Header, kNone);
                text_.append(name);
                lines_[header].length = quint32(name.size());
            } else {
                current = SectionForWriting(name);
            }
        } else if (current < 0) {
            NewLine(Kind::Other, kNone); // nothing belongs to a file before its first section
        } else {
            const size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                AddLine(quint32(current), line, {}, false);
            else
                AddLine(quint32(current), Strip(line.substr(0, equals)), Strip(line.substr(equals + 1)), true);
        }
        Line& added = lines_[lastLine_];
        added.rawOffset = qsizetype(start);
        added.rawLength = qint64(end + lineEnd - start);
        start = end + lineEnd;
    }
    loading_ = false;
}

namespace {

std::function<void(const QString&, const QString&)>& ReadObserver()
{
    static std::function<void(const QString&, const QString&)> observer;
    return observer;
}

} // namespace

void TIniFile::ObserveReads(std::function<void(const QString& section, const QString& key)> observer)
{
    ReadObserver() = std::move(observer);
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    if (ReadObserver())
        ReadObserver()(section, key);
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

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    if (!text)
        return defaultValue;
    return inirules::ParseInteger(*text).value_or(defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    if (!text)
        return defaultValue;
    if (const std::optional<double> value = inirules::ParseFloat(*text, u'.'))
        return *value;
    return inirules::ParseFloat(*text, u',').value_or(defaultValue);
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
