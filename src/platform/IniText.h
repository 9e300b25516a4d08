#pragma once

// The text rules the parts of TIniFile share; not for use outside them.

#include <QByteArray>
#include <QString>

#include <string_view>

namespace initext {

// Blanks are spaces, tabs and every other control character; they are single bytes in
// both encodings a line may have.
std::string_view Strip(std::string_view text);
inline std::string_view AsView(const QByteArray& bytes) { return { bytes.constData(), size_t(bytes.size()) }; }
inline QString ToQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }
bool IsAscii(std::string_view text);
// Names match as QString's case-blind comparison matches them.
bool SameName(std::string_view a, std::string_view b);
// Equal for names that SameName() matches: a hash of the case-folded code points.
quint32 FoldedHash(std::string_view name);
// Whether the line is valid UTF-8; a line that is not was written in a legacy code page
// and its bytes are Latin-1.
bool IsUtf8(std::string_view line);
// A value's line breaks (CR LF, CR or LF) each as one blank.
QString OnOneLine(const QString& value);

} // namespace initext
