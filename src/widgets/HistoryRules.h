#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The rules of a history field that need no widget: finding entries and completions.
namespace history {

// Index of the entry equal to value ignoring case (how the history compares), or -1.
int IndexOf(const QStringList& items, const QString& value);

// A completion of the typed text from one history entry.
struct Completion {
    int index = -1;  // of the entry in the history
    QString head;    // the typed characters, as the user typed them
    QString tail;    // the rest of the entry
};

// The first entry that begins with the first `caret` characters of value (ignoring
// case unless matchCase); nothing for an empty typed text.
std::optional<Completion> FindCompletion(const QStringList& items, const QString& value, int caret,
                                         bool matchCase);

// The completed path for a typed one: the first entry of the folder (in name order)
// whose name begins with the typed name (ignoring case), or nothing. Hidden names
// (beginning with ".") are never offered.
std::optional<QString> CompleteFileName(const QString& value);

} // namespace history
