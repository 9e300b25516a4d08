#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text rules of our initialisation files, usable on their own.
namespace inirules {

// Decimal with an optional sign, or hexadecimal led by "$", "0x" or "0X" (up to 32 bits,
// so $FFFFFFFF is -1). Anything else, including out-of-range decimals, gives nothing.
std::optional<int> ParseInteger(QStringView text);

// Sign, digits, an optional decimal separator with digits, an optional exponent.
// Overflow, infinities and stray characters give nothing.
std::optional<double> ParseFloat(QStringView text, QChar decimalSeparator);

// General form: up to 15 significant digits, no trailing zeros; exponent form ("1.5E-7",
// "1E15") when the value needs more than 15 integer digits or is below 0.00001.
QString FormatFloat(double value, QChar decimalSeparator);

// Writes the bytes through regularfile::Replace (a regular file only, atomically).
// Returns false on failure.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace inirules

// An initialisation file held in memory: read in full when constructed, changed by the
// Write/Erase/Delete calls and written back in full by UpdateFile().
//
// Section and key names match without regard to case. Reading strips blanks from every
// line and passes over empty lines, ";" comments and lines before the first section;
// lines without "=" are kept but have no value. When a key appears twice in a section the
// later line wins, both for reading and for the next write. A written value's line
// breaks become blanks, as a value never spans lines.
//
// Writing keeps every line it did not change byte for byte (comments, blanks, a line in a
// legacy code page, the line ends); a value written unchanged keeps its line too. A
// changed line is written as "key=value" in UTF-8; a new key goes after the last key of
// its section, a new section at the end followed by an empty line, with the file's line
// end (CR LF for a new file).
class TIniFile {
public:
    // Loads the file if it exists; a missing file reads like an empty one. A file that
    // exists but cannot be read, or is not a regular file, raises
    // Exception("Cannot open file <path>...") (regularfile::Read).
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    void WriteString(const QString& section, const QString& key, const QString& value);

    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    void WriteInteger(const QString& section, const QString& key, int value);

    // "1" and "0" on writing; any readable non-zero integer is true on reading.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    void WriteBool(const QString& section, const QString& key, bool value);

    // Written with a point whatever the locale, so a file moves between locales unchanged;
    // read with a point or a comma (what a comma locale once wrote).
    double ReadFloat(const QString& section, const QString& key, double defaultValue) const;
    void WriteFloat(const QString& section, const QString& key, double value);

    // Called with every section and key a Read* or ValueExists asks for, in this
    // process; none by default. Lets a test list the keys the program reads.
    static void ObserveReads(std::function<void(const QString& section, const QString& key)> observer);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // The key names of a section, each once, in the order first met.
    QStringList ReadSection(const QString& section) const;
    // Removes every "[name]" line of the section with its lines and empty lines; its
    // comments stay, as they may speak of what follows.
    void EraseSection(const QString& section);
    // Removes every line of that key, so an earlier duplicate cannot come back.
    void DeleteKey(const QString& section, const QString& key);

    // The file's text as UpdateFile() writes it.
    QByteArray ToBytes() const;
    // Writes the whole file atomically, through a link to a regular file and never over
    // anything else; raises Exception("Cannot create file <path>...").
    void UpdateFile() const;

    // Replaces the content by the parsed text (what the constructor does with the file).
    void LoadFromBytes(const QByteArray& bytes);

private:
    static constexpr quint32 kNone = 0xFFFFFFFFu;

    // Positions of names, found through the hash of the case-folded name; an equal name
    // put again moves to the new position (so a later duplicate wins). Its templates are
    // in IniIndex.h.
    class NameIndex {
    public:
        void Clear();
        template <class Same> qint64 Find(quint32 hash, Same same) const;
        template <class Same> void Put(quint32 hash, quint32 position, Same same);

    private:
        struct Slot {
            quint32 hash = 0;
            quint32 position = kNone;
        };
        void Grow();
        std::vector<Slot> slots_;
        size_t used_ = 0;
    };

    enum class Kind : quint8 {
        Entry,  // "key=value", or a line without "=": a line of its section
        Header, // "[name]": its text is the name
        Other,  // a comment, an empty line, a line before the first section
        Gone,   // deleted
    };

    // Every line of the file, in the file's order through `after`. All text lives in
    // text_ as UTF-8; an entry is "key=value" (the key is its first keyLength bytes) or,
    // when it holds no "=", the whole stripped line. A line as read keeps its bytes in
    // raw_ (with its line end) until it is changed.
    struct Line {
        qsizetype offset = 0;
        quint32 length = 0;
        qint32 keyLength = -1; // -1: no "=" in the line
        quint32 next = kNone;  // the next entry of its section
        quint32 after = kNone; // the next line of the file
        qsizetype rawOffset = 0;
        qint64 rawLength = -1; // -1: written from its text
        Kind kind = Kind::Entry;
    };
    struct Section {
        qsizetype nameOffset = 0;
        quint32 nameLength = 0;
        quint32 header = kNone; // its first "[name]" line
        quint32 first = kNone;
        quint32 last = kNone;
        quint32 count = 0;
        qint32 keys = -1; // its entry in keyIndexes_, once it has many lines
    };

    std::string_view View(qsizetype offset, qsizetype length) const;
    std::string_view NameOf(const Section& section) const;
    std::string_view KeyOf(const Line& line) const;
    std::string_view ValueOf(const Line& line) const;

    qint64 FindSection(std::string_view name) const;
    quint32 SectionForWriting(std::string_view name);
    qint64 FindKey(const Section& section, std::string_view key) const;
    quint32 NewLine(Kind kind, quint32 afterLine);
    void AddLine(quint32 section, std::string_view key, std::string_view value, bool isPair);
    void IndexKeys(Section& section);
    void IndexSections();
    void CompactIfWasteful();
    std::optional<QString> Value(const QString& section, const QString& key) const;

    QString fileName_;
    std::string text_;
    qsizetype wasted_ = 0; // bytes of text_ that no line uses any more
    std::string raw_;      // the bytes as read
    std::string lineEnd_ = "\r\n"; // the file's own, for the lines written
    quint32 firstLine_ = kNone;
    quint32 lastLine_ = kNone;
    bool loading_ = false; // parsing: lines go to the end of the file as they come
    std::deque<Line> lines_;
    std::deque<Section> sections_;
    NameIndex sectionIndex_;
    std::vector<NameIndex> keyIndexes_;
};
