#include "widgets/HistoryRules.h"

#include <QDir>

namespace history {

namespace {

constexpr int kMaxTail = 255;

// A typed path split after its last "/" into the folder part and the name being typed.
struct PathParts {
    QString directory;
    QString name;
};

PathParts SplitPath(const QString& value)
{
    const qsizetype slash = value.lastIndexOf(QLatin1Char('/'));
    return {value.left(slash + 1), value.mid(slash + 1)};
}

} // namespace

int IndexOf(const QStringList& items, const QString& value)
{
    for (int i = 0; i < items.size(); ++i) {
        if (QString::compare(items[i], value, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<Completion> FindCompletion(const QStringList& items, const QString& value, int caret,
                                         bool matchCase)
{
    const QString typed = value.left(std::max(caret, 0));
    if (typed.isEmpty())
        return std::nullopt;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].startsWith(typed, cs))
            return Completion{i, typed, items[i].mid(typed.size(), kMaxTail)};
    }
    return std::nullopt;
}

std::optional<QString> CompleteFileName(const QString& value)
{
    if (value.isEmpty())
        return std::nullopt;
    const PathParts parts = SplitPath(value);
    const QDir folder(parts.directory.isEmpty() ? QStringLiteral(".") : parts.directory);
    // The typed name is compared as a literal prefix, so "*" or "?" typed in it match
    // only themselves.
    const QStringList found =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDir::Name);
    for (const QString& name : found) {
        // Hidden names are skipped rather than offered.
        if (name.startsWith(parts.name, Qt::CaseInsensitive) && !name.startsWith(QLatin1Char('.')))
            return parts.directory + name;
    }
    return std::nullopt;
}

} // namespace history
