#pragma once

#include "platform/IniFile.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The per-user store of named values, organised like a tree of keys: a key such as
// "Software\Tallyforge" holds subkeys, and each subkey holds string or integer values.
// Each key is one INI file under the user's configuration folder (its subkeys are the
// sections), so values survive between runs and between programs of the same user.
//
// Nothing here reports errors: a key that cannot be read reads as empty (and is then
// never overwritten), and a failed write is only reported by Flush()'s result, which
// matches how the input fields keep their values quietly.
class TUserStore {
public:
    // Opens the key, reading what it holds. Key parts may be separated by "\" or "/";
    // names match without regard to case, and "." and ".." parts are ignored.
    explicit TUserStore(const QString& key);
    // Writes pending changes (see Flush()).
    ~TUserStore();
    TUserStore(const TUserStore&) = delete;
    TUserStore& operator=(const TUserStore&) = delete;

    const QString& Key() const { return key_; }
    // False when the key's file exists but could not be read.
    bool Readable() const { return readable_; }

    bool SubkeyExists(const QString& subkey) const;
    bool ValueExists(const QString& subkey, const QString& name) const;
    QStringList ValueNames(const QString& subkey) const;

    QString ReadString(const QString& subkey, const QString& name, const QString& defaultValue) const;
    void WriteString(const QString& subkey, const QString& name, const QString& value);
    int ReadInteger(const QString& subkey, const QString& name, int defaultValue) const;
    void WriteInteger(const QString& subkey, const QString& name, int value);

    void DeleteValue(const QString& subkey, const QString& name);
    void DeleteSubkey(const QString& subkey);

    // Writes the key's file atomically when something changed: under a lock beside the
    // file, it reads the file again and makes this store's changes to what it holds, so
    // another process's save since the opening is kept. Returns false when the write
    // failed, the lock could not be had, or the key could not be read (it is left alone).
    bool Flush();

    // The file that holds a key.
    static QString FilePathForKey(const QString& key);
    // The folder of the store: the user's configuration folder + "/Tallyforge/UserStore".
    static QString RootDirectory();
    // Test seam: puts the store elsewhere; an empty path restores the default.
    static void SetRootDirectory(const QString& directory);

private:
    // A change as the store's file holds it, made again on the file as it is at saving.
    struct Change {
        enum Kind { Write, DeleteValue, DeleteSubkey } kind;
        QString subkey;
        QString name;
        QString stored;
    };
    static void Apply(TIniFile& file, const Change& change);
    void Record(Change change);

    QString key_;
    bool readable_ = true;
    std::vector<Change> changes_;
    std::unique_ptr<TIniFile> file_;
};
