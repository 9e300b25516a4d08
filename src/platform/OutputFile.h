#pragma once

#include <QIODevice>
#include <QString>

#include "platform/FileLock.h"

#include <memory>
#include <optional>

// A document being written: a hidden temporary file in the folder it is meant for,
// created exclusively (never through a symbolic link) and locked while this process
// writes it. Nothing counts as output until Finish() has flushed and synced it and
// Publish() has given it its final name; a file that is destroyed unpublished is
// removed, and one left behind by a killed process is removed by the next run.
class TOutputFile {
public:
    // Shared: the usual permissions (0666 less the umask); OwnerOnly: 0600, for a
    // document that only passes through a shared folder.
    enum class Access { Shared, OwnerOnly };
    // Raises Exception("Cannot create file <folder>/...: <reason>").
    explicit TOutputFile(const QString& folder, Access access = Access::Shared);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // The open file to write into.
    QIODevice& Device();
    const QString& TemporaryPath() const { return temporary_; }

    // Flushes and syncs; raises Exception("Cannot write file <name>: <reason>") when any
    // write so far failed (a full disk, a file size limit) or the sync fails. The name
    // is the one the file is meant to get, when set, else the temporary one.
    void Finish();
    void SetIntendedPath(const QString& path) { intended_ = path; }

    // Gives the finished file the name "<stem>.pdf" in its folder, or "<stem> (2).pdf"
    // and so on when that exists, never replacing a file or following a link; then syncs
    // the folder. With `replaceable` set, that exact path may be replaced (a file the
    // user chose and confirmed) when it is a regular file, or a symbolic link to one in
    // this folder, whose file is replaced and the link kept. Returns the path it now has.
    // Raises Exception("Cannot create file <path>: <reason>"), and for a replaceable path
    // that is anything else (a pipe, a device, a folder, a link to nothing) names it.
    QString Publish(const QString& stem, const QString& suffix, const QString& replaceable = {});
    // Gives the finished file exactly this name, which nothing may have by then (not even
    // a link to nothing); raises Exception("The file <path> exists already") otherwise.
    void PublishExactly(const QString& path);

    // Removes what killed runs left in `folder` (temporaries no process holds).
    static void RemoveLeftovers(const QString& folder);

private:

    class Sink;
    QString folder_;
    QString temporary_;
    QString intended_;
    int fd_ = -1;
    std::optional<TFileLock> lock_; // held while the file is ours, so no clean-up takes it
    std::unique_ptr<Sink> sink_;
    bool published_ = false;
};
