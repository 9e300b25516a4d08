// The index: sections and their lines, found through hashes of their folded names.
#include "platform/IniIndex.h"

#include "platform/IniText.h"

using namespace initext;

void TIniFile::NameIndex::Clear()
{
    slots_.clear();
    used_ = 0;
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

// A line linked into the file after `afterLine` (kNone: at the end).
quint32 TIniFile::NewLine(Kind kind, quint32 afterLine)
{
    Line line;
    line.kind = kind;
    line.offset = qsizetype(text_.size());
    lines_.push_back(line);
    const quint32 id = quint32(lines_.size() - 1);
    if (afterLine == kNone)
        afterLine = lastLine_;
    if (afterLine == kNone) {
        lines_[id].after = firstLine_;
        firstLine_ = id;
    } else {
        lines_[id].after = lines_[afterLine].after;
        lines_[afterLine].after = id;
    }
    if (lines_[id].after == kNone)
        lastLine_ = id;
    return id;
}

quint32 TIniFile::SectionForWriting(std::string_view name)
{
    const qint64 existing = FindSection(name);
    if (existing >= 0)
        return quint32(existing);
    // A new section: "[name]" at the end of the file, and an empty line after it (new
    // keys go before that line).
    const quint32 header = NewLine(Kind::Header, kNone);
    text_.append(name);
    lines_[header].length = quint32(name.size());
    if (!loading_)
        NewLine(Kind::Other, kNone);
    Section section;
    section.nameOffset = lines_[header].offset;
    section.nameLength = quint32(name.size());
    section.header = header;
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
    // While reading, a line goes where the file has it; later, after the section's last.
    quint32 place = kNone;
    if (!loading_) {
        const Section& section = sections_[sectionIndex];
        place = section.last != kNone ? section.last : section.header;
    }
    const quint32 id = NewLine(Kind::Entry, place);
    Line& line = lines_[id];
    text_.append(key);
    if (isPair) {
        line.keyLength = qint32(key.size());
        text_ += '=';
        text_.append(value);
    }
    line.length = quint32(qsizetype(text_.size()) - line.offset);

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
    for (quint32 id = firstLine_; id != kNone; id = lines_[id].after) {
        Line& line = lines_[id];
        if (line.kind == Kind::Gone)
            continue;
        const qsizetype offset = qsizetype(text.size());
        text.append(View(line.offset, line.length));
        line.offset = offset;
    }
    for (Section& section : sections_)
        section.nameOffset = lines_[section.header].offset;
    text_.swap(text);
    wasted_ = 0;
}
