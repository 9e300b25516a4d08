// Writing: values changed in memory, and the file written back keeping what did not change.
#include "platform/IniFile.h"

#include "platform/Exception.h"
#include "platform/IniIndex.h"
#include "platform/IniText.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>

using namespace initext;

namespace inirules {

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    try {
        regularfile::Replace(path, bytes);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

} // namespace inirules

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
    // keeps the key as the file spells it, and all its bytes when the value is the same.
    Line& line = lines_[size_t(existing)];
    if (ValueOf(line) == AsView(value))
        return;
    const std::string spelling(KeyOf(line));
    wasted_ += line.length;
    line.offset = qsizetype(text_.size());
    text_ += spelling;
    text_ += '=';
    text_.append(AsView(value));
    line.length = quint32(qsizetype(text_.size()) - line.offset);
    line.rawLength = -1;
    CompactIfWasteful();
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, inirules::FormatFloat(value, u'.'));
}

void TIniFile::EraseSection(const QString& section)
{
    const QByteArray name = section.toUtf8();
    const qint64 found = FindSection(AsView(name));
    if (found < 0)
        return;
    // Every "[name]" of the section goes with its lines and empty lines; comments stay,
    // as they may speak of what follows.
    bool inside = false;
    for (quint32 id = firstLine_; id != kNone; id = lines_[id].after) {
        Line& line = lines_[id];
        if (line.kind == Kind::Header)
            inside = SameName(View(line.offset, line.length), AsView(name));
        if (!inside || line.kind == Kind::Gone)
            continue;
        if (line.kind == Kind::Other && line.rawLength >= 0
            && !Strip(std::string_view(raw_).substr(size_t(line.rawOffset), size_t(line.rawLength))).empty())
            continue;
        wasted_ += line.length;
        line.kind = Kind::Gone;
    }
    const Section& erased = sections_[size_t(found)];
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
            lines_[id].kind = Kind::Gone;
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

QByteArray TIniFile::ToBytes() const
{
    QByteArray bytes;
    bytes.reserve(qsizetype(raw_.size()) + 64);
    auto append = [&bytes](std::string_view text) { bytes.append(text.data(), qsizetype(text.size())); };
    bool open = false; // the last line written has no line end (the file's last, as read)
    for (quint32 id = firstLine_; id != kNone; id = lines_[id].after) {
        const Line& line = lines_[id];
        if (line.kind == Kind::Gone)
            continue;
        if (open)
            append(lineEnd_);
        if (line.rawLength >= 0) {
            const std::string_view raw = std::string_view(raw_).substr(size_t(line.rawOffset), size_t(line.rawLength));
            append(raw);
            open = raw.empty() || (raw.back() != '\n' && raw.back() != '\r');
            continue;
        }
        if (line.kind == Kind::Header) {
            bytes += '[';
            append(View(line.offset, line.length));
            bytes += ']';
        } else if (line.kind == Kind::Entry) {
            append(View(line.offset, line.length));
        }
        append(lineEnd_);
        open = false;
    }
    return bytes;
}

void TIniFile::UpdateFile() const
{
    regularfile::Replace(fileName_, ToBytes());
}
