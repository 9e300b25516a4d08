#pragma once

#include <QString>

#include <optional>

// The designs runs printed, each kept once under the SHA-256 of its canonical text
// (ticket::DesignText): "Tallyforge-designs/<hash>.ini" beside the journal. A design is
// written whole before the first record that names it, and never changed: a run that
// names a design finds it, or finds it missing, never half written.
class TDesignFolder {
public:
    explicit TDesignFolder(QString path);
    static QString PathBeside(const QString& settingsPath);
    const QString& Path() const { return path_; }

    // Keeps the text under its hash unless it is kept already; raises "Cannot create
    // file <path>: <reason>" when it cannot (the run that needs it does not start).
    void Keep(const QString& hash, const QString& text) const;
    // The text kept under hash; nothing when there is none, or what is there is not the
    // text of that hash (a file edited or damaged since).
    std::optional<QString> Text(const QString& hash) const;

private:
    QString FileOf(const QString& hash) const;
    QString path_;
};
