#include "widgets/Persistence.h"

#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/UserStore.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace persistence {

namespace {

// A section of named strings in an INI file or in the per-user store.
class Store {
public:
    virtual ~Store() = default;
    virtual QString Read(const QString& name, const QString& defaultValue) = 0;
    virtual void Write(const QString& name, const QString& value) = 0;
};

const QString kItemPrefix = QStringLiteral("Item");

QString ProgramIniName()
{
    const QFileInfo program(shell::ExecutableFilePath());
    const QString base = program.completeBaseName().isEmpty() ? program.fileName() : program.completeBaseName();
    return program.absolutePath() + QLatin1Char('/') + base + QStringLiteral(".INI");
}

class IniStore : public Store {
public:
    IniStore(const QString& fileName, const QString& section)
        : file_(fileName)
        , section_(section)
    {
    }
    QString Read(const QString& name, const QString& defaultValue) override
    {
        return file_.ReadString(section_, name, defaultValue);
    }
    void Write(const QString& name, const QString& value) override
    {
        file_.WriteString(section_, name, value);
        dirty_ = true;
    }
    ~IniStore() override
    {
        if (!dirty_)
            return;
        try {
            file_.UpdateFile();
        } catch (const std::exception&) {
            // A field that cannot keep its text simply starts without it next time.
        }
    }

private:
    TIniFile file_;
    QString section_;
    bool dirty_ = false;
};

class UserStoreSection : public Store {
public:
    UserStoreSection(const QString& key, const QString& subkey)
        : store_(key)
        , subkey_(subkey)
    {
    }
    QString Read(const QString& name, const QString& defaultValue) override
    {
        return store_.ReadString(subkey_, name, defaultValue);
    }
    void Write(const QString& name, const QString& value) override
    {
        store_.WriteString(subkey_, name, value); // written when the store closes
    }

private:
    TUserStore store_;
    QString subkey_;
};

std::unique_ptr<Store> Open(TPersistence& settings)
{
    try {
        if (settings.Location() == plRegistry)
            return std::make_unique<UserStoreSection>(settings.Key(), settings.Section());
        if (settings.Key().isEmpty())
            settings.SetKey(ProgramIniName());
        return std::make_unique<IniStore>(settings.Key(), settings.Section());
    } catch (const std::exception&) {
        return nullptr; // an unreadable store reads as empty and takes nothing
    }
}

QStringList ReadHistory(Store& store)
{
    QStringList items;
    for (int k = 1;; ++k) {
        const QString value = store.Read(kItemPrefix + QString::number(k), QString());
        if (value.isEmpty())
            break;
        items.append(value);
    }
    return items;
}

} // namespace

QString LoadValue(TPersistence& settings, const QString& fieldName)
{
    if (!settings.Enable())
        return kMissing;
    const std::unique_ptr<Store> store = Open(settings);
    return store ? store->Read(fieldName, kMissing) : kMissing;
}

void SaveValue(TPersistence& settings, const QString& fieldName, const QString& windowText)
{
    if (!settings.Enable())
        return;
    if (const std::unique_ptr<Store> store = Open(settings))
        store->Write(fieldName, windowText);
}

QStringList LoadHistory(THistoryPersist& settings)
{
    if (!settings.Enable())
        return {};
    const std::unique_ptr<Store> store = Open(settings);
    return store ? ReadHistory(*store) : QStringList();
}

void SaveHistory(THistoryPersist& settings, const QStringList& items)
{
    if (!settings.Enable())
        return;
    const std::unique_ptr<Store> store = Open(settings);
    if (!store)
        return;
    // An INI file strips outer blanks on reading, so an all-blank entry would come back as
    // the empty one that ends the list, and every later entry would be lost with it.
    QStringList kept = items;
    if (settings.Location() == plInifile)
        kept.removeIf([](const QString& item) {
            return std::all_of(item.begin(), item.end(), [](QChar c) { return c.unicode() <= ' '; });
        });
    for (const auto& [name, value] : HistoryEntries(kept, settings.Count(), settings.MaxCount()))
        store->Write(name, value);
}

QList<QPair<QString, QString>> HistoryEntries(const QStringList& items, int count, bool maxCount)
{
    qsizetype n = items.size();
    qsizetype offset = 0;
    if (maxCount) {
        n = std::max(count, 0);
        if (items.size() > n)
            offset = items.size() - n;
    }
    QList<QPair<QString, QString>> entries;
    for (qsizetype k = 1; k <= n; ++k) {
        const QString name = kItemPrefix + QString::number(k);
        entries.append({name, items.size() < k + offset ? QString() : items[k + offset - 1]});
    }
    // An empty entry after a full list ends it, so that entries left from an earlier,
    // longer save are not read back as history.
    if (entries.isEmpty() || !entries.last().second.isEmpty())
        entries.append({kItemPrefix + QString::number(n + 1), QString()});
    return entries;
}

} // namespace persistence
