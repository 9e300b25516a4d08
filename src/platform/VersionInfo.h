#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The program's version table: string tables, each for one language and code page
// (named by eight hex digits, "040904E4" = US English, code page 1252), holding named
// strings such as "FileVersion". The build compiles the program's own table in from the
// project version; a build configured without it has an empty table.
class TVersionInfo {
public:
    struct StringTable {
        QString translation; // language + code page, e.g. "040904E4"
        QList<std::pair<QString, QString>> strings;
    };

    TVersionInfo() = default;
    explicit TVersionInfo(QList<StringTable> tables);

    // True when there is no table at all (a build without version information).
    bool IsEmpty() const { return tables_.isEmpty(); }

    // Looks up "\StringFileInfo\<translation>\<name>"; parts match without regard to case.
    std::optional<QString> QueryValue(const QString& path) const;

    // The table compiled into this program (empty when built without it).
    static const TVersionInfo& Program();

private:
    QList<StringTable> tables_;
};
