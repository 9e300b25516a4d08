#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

enum TPersistenceLocation { plInifile, plRegistry };

// Where an input field keeps its own text between runs.
class TPersistence {
public:
    bool Enable() const { return enable_; }
    void SetEnable(bool v) { enable_ = v; }
    const QString& Key() const { return key_; }
    void SetKey(const QString& v) { key_ = v; }
    const QString& Section() const { return section_; }
    void SetSection(const QString& v) { section_ = v; }
    TPersistenceLocation Location() const { return location_; }
    void SetLocation(TPersistenceLocation v) { location_ = v; }

private:
    bool enable_ = false;
    QString key_;
    QString section_;
    TPersistenceLocation location_ = plInifile;
};

// Where a history field keeps its list; Count bounds the entries written when MaxCount.
class THistoryPersist : public TPersistence {
public:
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool MaxCount() const { return maxCount_; }
    void SetMaxCount(bool v) { maxCount_ = v; }

private:
    int count_ = 0;
    bool maxCount_ = false;
};

namespace persistence {

// Marks an entry that is missing; a stored text of exactly this is never restored.
inline const QString kMissing = QStringLiteral("@");

// The store is the INI file named by Key (an empty Key stands for the program's own path
// with the extension ".INI", and that name is then kept in Key) or the per-user store
// under Key; Section is the section or subkey. Nothing is read or written unless Enable.

// The field's saved text, or kMissing when there is none.
QString LoadValue(TPersistence& settings, const QString& fieldName);
void SaveValue(TPersistence& settings, const QString& fieldName, const QString& windowText);

// History entries are "Item1", "Item2", ...; reading stops at the first empty one.
QStringList LoadHistory(THistoryPersist& settings);
void SaveHistory(THistoryPersist& settings, const QStringList& items);
// The names and values a save writes: the newest Count entries when MaxCount, with an
// empty entry ending a shorter list.
QList<QPair<QString, QString>> HistoryEntries(const QStringList& items, int count, bool maxCount);

} // namespace persistence
