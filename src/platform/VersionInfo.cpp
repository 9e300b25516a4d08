#include "platform/VersionInfo.h"

TVersionInfo::TVersionInfo(QList<StringTable> tables)
    : tables_(std::move(tables))
{
}

std::optional<QString> TVersionInfo::QueryValue(const QString& path) const
{
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts[0].compare(QLatin1String("StringFileInfo"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (const StringTable& table : tables_) {
        if (table.translation.compare(parts[1], Qt::CaseInsensitive) != 0)
            continue;
        for (const auto& [name, value] : table.strings)
            if (name.compare(parts[2], Qt::CaseInsensitive) == 0)
                return value;
    }
    return std::nullopt;
}

const TVersionInfo& TVersionInfo::Program()
{
#if defined(TALLYFORGE_VERSION_MAJOR) && defined(TALLYFORGE_VERSION_MINOR) \
    && defined(TALLYFORGE_VERSION_PATCH) && defined(TALLYFORGE_VERSION_TWEAK)
    static const TVersionInfo program([] {
        const QString version = QStringLiteral("%1.%2.%3.%4")
                                    .arg(TALLYFORGE_VERSION_MAJOR)
                                    .arg(TALLYFORGE_VERSION_MINOR)
                                    .arg(TALLYFORGE_VERSION_PATCH)
                                    .arg(TALLYFORGE_VERSION_TWEAK);
        const QString name = QStringLiteral("Tallyforge");
        StringTable table;
        table.translation = QStringLiteral("040904E4");
        table.strings = {
            { QStringLiteral("FileDescription"), QStringLiteral("Serial number page printer") },
            { QStringLiteral("FileVersion"), version },
            { QStringLiteral("InternalName"), name },
            { QStringLiteral("OriginalFilename"), name },
            { QStringLiteral("ProductName"), name },
            { QStringLiteral("ProductVersion"), version },
        };
        return QList<StringTable> { table };
    }());
#else
    static const TVersionInfo program;
#endif
    return program;
}
