#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>
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

// Writes the bytes to a new file beside `path`, syncs it and renames it into place, so
// the old file stays whole if anything fails. Returns false on failure.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace inirules

// An initialisation file held in memory: read in full when constructed, changed by the
// Write/Erase/Delete calls and written back in full by UpdateFile().
//
// Section and key names match without regard to case. Reading strips blanks from every
// line, drops empty lines, ";" comments and lines before the first section, and keeps
// lines without "=" as they are. When a key appears twice in a section the later line
// wins, both for reading and for the next write. A written value's line breaks become
// blanks, as a value never spans lines. Writing puts the sections in the order
// they were first met, one empty line after each, with CR LF line ends.
class TIniFile {
public:
    // Loads the file if it exists; a missing file reads like an empty one. A file that
    // exists but cannot be read raises Exception("Cannot open file <path>").
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    void WriteString(const QString& section, const QString& key, const QString& value);

    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    void WriteInteger(const QString& section, const QString& key, int value);

    // "1" and "0" on writing; any readable non-zero integer is true on reading.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    void WriteBool(const QString& section, const QString& key, bool value);

    // Uses the decimal separator of FormatSettings::Current() at the time of the call.
    double ReadFloat(const QString& section, const QString& key, double defaultValue) const;
    void WriteFloat(const QString& section, const QString& key, double value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // The key names of a section, each once, in the order first met.
    QStringList ReadSection(const QString& section) const;
    void EraseSection(const QString& section);
    // Removes every line of that key, so an earlier duplicate cannot come back.
    void DeleteKey(const QString& section, const QString& key);

    // The file's text as UpdateFile() writes it.
    QByteArray ToBytes() const;
    // Writes the whole file atomically; raises Exception("Cannot create file <path>").
    void UpdateFile() const;

    // Replaces the content by the parsed text (what the constructor does with the file).
    void LoadFromBytes(const QByteArray& bytes);

private:
    struct Line {
        bool isPair = false;
        QString key;   // the whole stripped line when !isPair
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Line> lines;
    };

    const Section* FindSection(const QString& name) const;
    Section* FindSection(const QString& name);
    Section& SectionForWriting(const QString& name);
    static const Line* FindKey(const Section& section, const QString& key);
    std::optional<QString> Value(const QString& section, const QString& key) const;

    QString fileName_;
    std::vector<Section> sections_;
};
