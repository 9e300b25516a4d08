#include "platform/UserStore.h"

#include "platform/Exception.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString& RootOverride()
{
    static QString root;
    return root;
}

// Key names are case-blind, file names are not: every part is kept in lower case.
// Empty, "." and ".." parts are dropped so a key never leaves the store's folder.
QStringList KeyParts(const QString& key)
{
    QString normalized = key;
    normalized.replace(u'\\', u'/');
    QStringList parts;
    for (const QString& part : normalized.split(u'/', Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty() || trimmed == u"." || trimmed == u"..")
            continue;
        parts.append(trimmed.toLower());
    }
    return parts;
}

} // namespace

QString TUserStore::RootDirectory()
{
    if (!RootOverride().isEmpty())
        return RootOverride();
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tallyforge/UserStore");
}

void TUserStore::SetRootDirectory(const QString& directory) { RootOverride() = directory; }

QString TUserStore::FilePathForKey(const QString& key)
{
    QStringList parts = KeyParts(key);
    if (parts.isEmpty())
        parts.append(QStringLiteral("_root"));
    return RootDirectory() + u'/' + parts.join(u'/') + QStringLiteral(".ini");
}

TUserStore::TUserStore(const QString& key)
    : key_(key)
{
    const QString path = FilePathForKey(key);
    try {
        file_ = std::make_unique<TIniFile>(path);
    } catch (const Exception&) {
        // Reads as empty; Flush() leaves the unreadable file alone.
        readable_ = false;
        file_ = std::make_unique<TIniFile>(QString());
    }
}

TUserStore::~TUserStore() { Flush(); }

bool TUserStore::SubkeyExists(const QString& subkey) const { return file_->SectionExists(subkey); }

bool TUserStore::ValueExists(const QString& subkey, const QString& name) const
{
    return file_->ValueExists(subkey, name);
}

QStringList TUserStore::ValueNames(const QString& subkey) const { return file_->ReadSection(subkey); }

QString TUserStore::ReadString(const QString& subkey, const QString& name, const QString& defaultValue) const
{
    return file_->ReadString(subkey, name, defaultValue);
}

void TUserStore::WriteString(const QString& subkey, const QString& name, const QString& value)
{
    file_->WriteString(subkey, name, value);
    dirty_ = true;
}

int TUserStore::ReadInteger(const QString& subkey, const QString& name, int defaultValue) const
{
    return file_->ReadInteger(subkey, name, defaultValue);
}

void TUserStore::WriteInteger(const QString& subkey, const QString& name, int value)
{
    file_->WriteInteger(subkey, name, value);
    dirty_ = true;
}

void TUserStore::DeleteValue(const QString& subkey, const QString& name)
{
    if (!file_->ValueExists(subkey, name))
        return;
    file_->DeleteKey(subkey, name);
    dirty_ = true;
}

void TUserStore::DeleteSubkey(const QString& subkey)
{
    if (!file_->SectionExists(subkey))
        return;
    file_->EraseSection(subkey);
    dirty_ = true;
}

bool TUserStore::Flush()
{
    if (!readable_)
        return false;
    if (!dirty_)
        return true;
    const QString path = FilePathForKey(key_);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    try {
        file_->UpdateFile();
    } catch (const Exception&) {
        return false;
    }
    dirty_ = false;
    return true;
}
