#include "platform/UserStore.h"

#include "platform/Exception.h"

#include <QDir>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QLockFile>
#include <QThread>
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

// A stored string must come back exactly, but INI lines lose their outer blanks and
// cannot hold line breaks: such values (and any that start with a quote) are written
// quoted with backslash escapes.
bool NeedsQuoting(const QString& value)
{
    if (value.isEmpty())
        return false;
    if (value.front().unicode() <= ' ' || value.back().unicode() <= ' ' || value.front() == u'"')
        return true;
    for (QChar c : value)
        if (c.unicode() < ' ')
            return true;
    return false;
}

QString Encode(const QString& value)
{
    if (!NeedsQuoting(value))
        return value;
    QString encoded = QStringLiteral("\"");
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\': encoded += QStringLiteral("\\\\"); break;
        case '"': encoded += QStringLiteral("\\\""); break;
        case '\n': encoded += QStringLiteral("\\n"); break;
        case '\r': encoded += QStringLiteral("\\r"); break;
        case '\t': encoded += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < ' ')
                encoded += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                encoded += c;
        }
    }
    return encoded + u'"';
}

QString Decode(const QString& stored)
{
    if (stored.size() < 2 || !stored.startsWith(u'"') || !stored.endsWith(u'"'))
        return stored;
    QString value;
    const qsizetype end = stored.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = stored[i];
        if (c != u'\\' || i + 1 >= end) {
            value += c;
            continue;
        }
        const QChar next = stored[++i];
        switch (next.unicode()) {
        case 'n': value += u'\n'; break;
        case 'r': value += u'\r'; break;
        case 't': value += u'\t'; break;
        case 'x':
            if (i + 2 < end) {
                value += QChar(stored.mid(i + 1, 2).toUShort(nullptr, 16));
                i += 2;
            }
            break;
        default: value += next; // backslash and quote
        }
    }
    return value;
}

// QLockFile's own waiting doubles its pauses up to seconds, so a writer among busy
// ones can starve; short, even pauses share the key fairly.
bool TakeLock(QLockFile& lock)
{
    QDeadlineTimer deadline(30000);
    while (!lock.tryLock(0)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
    return true;
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
    if (!file_->ValueExists(subkey, name))
        return defaultValue;
    return Decode(file_->ReadString(subkey, name, QString()));
}

void TUserStore::Apply(TIniFile& file, const Change& change)
{
    switch (change.kind) {
    case Change::Write: file.WriteString(change.subkey, change.name, change.stored); break;
    case Change::DeleteValue: file.DeleteKey(change.subkey, change.name); break;
    case Change::DeleteSubkey: file.EraseSection(change.subkey); break;
    }
}

void TUserStore::Record(Change change)
{
    Apply(*file_, change);
    changes_.push_back(std::move(change));
}

void TUserStore::WriteString(const QString& subkey, const QString& name, const QString& value)
{
    Record({ Change::Write, subkey, name, Encode(value) });
}

int TUserStore::ReadInteger(const QString& subkey, const QString& name, int defaultValue) const
{
    return file_->ReadInteger(subkey, name, defaultValue);
}

void TUserStore::WriteInteger(const QString& subkey, const QString& name, int value)
{
    Record({ Change::Write, subkey, name, QString::number(value) });
}

void TUserStore::DeleteValue(const QString& subkey, const QString& name)
{
    if (file_->ValueExists(subkey, name))
        Record({ Change::DeleteValue, subkey, name, {} });
}

void TUserStore::DeleteSubkey(const QString& subkey)
{
    if (file_->SectionExists(subkey))
        Record({ Change::DeleteSubkey, subkey, {}, {} });
}

bool TUserStore::Flush()
{
    if (!readable_)
        return false;
    if (changes_.empty())
        return true;
    const QString path = FilePathForKey(key_);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    // Other processes save the same key: read, change and replace it as one step. A lock
    // left by a process that died is taken over at once (QLockFile checks its owner).
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!TakeLock(lock))
        return false;
    try {
        auto current = std::make_unique<TIniFile>(path);
        for (const Change& change : changes_)
            Apply(*current, change);
        current->UpdateFile();
        file_ = std::move(current);
    } catch (const Exception&) {
        return false;
    }
    changes_.clear();
    return true;
}
