#include "platform/RegularFile.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <climits>
#include <cstdlib>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regularfile {

namespace {

QString CannotOpen(const QString& path)
{
    return QCoreApplication::translate("RegularFile", "Cannot open file %1").arg(path);
}

QString CannotCreate(const QString& path)
{
    return QCoreApplication::translate("RegularFile", "Cannot create file %1").arg(path);
}

// What a non-regular file is, for the message; empty for a regular file.
QString KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QCoreApplication::translate("RegularFile", "a folder");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QCoreApplication::translate("RegularFile", "a device");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("RegularFile", "a pipe");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("RegularFile", "a socket");
    return QCoreApplication::translate("RegularFile", "something else");
}

[[noreturn]] void RefuseToRead(const QString& path, mode_t mode)
{
    // A folder has always been reported this way; the rest says what the path is.
    if (S_ISDIR(mode))
        throw Exception(CannotOpen(path));
    throw Exception(QCoreApplication::translate("RegularFile", "Cannot open file %1: it is %2, not a regular file")
                        .arg(path, KindOf(mode)));
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

void SyncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the rename itself has already happened
    ::close(fd);
}

// A save that was killed leaves its temporary file behind; the next save of the same
// file removes those whose writer no longer runs.
void RemoveOrphanedTemporaries(const QString& directory, const QString& fileName)
{
    const QString prefix = u'.' + fileName + u'.';
    const QStringList candidates = QDir(directory).entryList({ prefix + QStringLiteral("*.tmp") },
        QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& candidate : candidates) {
        const QString middle = candidate.mid(prefix.size(), candidate.size() - prefix.size() - 4);
        bool ok = false;
        const int pid = middle.section(u'-', 0, 0).toInt(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(directory + u'/' + candidate);
    }
}

} // namespace

std::optional<QByteArray> Read(const QString& path)
{
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw Exception(CannotOpen(path));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { fd };
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw Exception(CannotOpen(path));
    if (!S_ISREG(info.st_mode))
        RefuseToRead(path, info.st_mode);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        throw Exception(CannotOpen(path));
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw Exception(CannotOpen(path));
        }
        if (got == 0)
            break;
        bytes.append(buffer, qsizetype(got));
    }
    return bytes;
}

void CheckReadable(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return; // missing, or a link to nothing: reads as no file
    if (!S_ISREG(info.st_mode))
        RefuseToRead(path, info.st_mode);
}

QString WriteTarget(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0) {
        if (errno == ENOENT)
            return path; // a new file
        throw Exception(CannotCreate(path));
    }
    if (S_ISREG(link.st_mode))
        return path;
    if (!S_ISLNK(link.st_mode))
        throw Exception(QCoreApplication::translate("RegularFile", "Cannot create file %1: it is %2, not a regular file")
                            .arg(path, KindOf(link.st_mode)));
    // Written through: the file the link leads to is replaced in its own folder, and the
    // link stays a link.
    char resolved[PATH_MAX];
    struct stat target {};
    if (!::realpath(name.constData(), resolved) || ::stat(resolved, &target) != 0)
        throw Exception(QCoreApplication::translate("RegularFile", "Cannot create file %1: it is a symbolic link to nothing")
                            .arg(path));
    if (!S_ISREG(target.st_mode))
        throw Exception(QCoreApplication::translate("RegularFile",
                                                    "Cannot create file %1: it is a symbolic link to %2, not to a regular file")
                            .arg(path, KindOf(target.st_mode)));
    return QFile::decodeName(resolved);
}

void Replace(const QString& path, const QByteArray& bytes)
{
    const QString target = WriteTarget(path);
    const QFileInfo targetInfo(target);
    const QString directory = targetInfo.absolutePath();
    const QByteArray targetName = QFile::encodeName(target);
    // Renaming would replace a file its owner made read-only; honour that as a write would.
    if (::access(targetName.constData(), W_OK) != 0 && errno != ENOENT)
        throw Exception(CannotCreate(path));

    static std::atomic<unsigned> counter { 0 };
    QString temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QStringLiteral("%1/.%2.%3-%4.tmp")
                        .arg(directory, targetInfo.fileName())
                        .arg(::getpid())
                        .arg(counter.fetch_add(1));
        fd = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            throw Exception(CannotCreate(path));
    }
    if (fd < 0)
        throw Exception(CannotCreate(path));

    const QByteArray temporaryName = QFile::encodeName(temporary);
    struct stat old {};
    bool ok = WriteAll(fd, bytes);
    // Keep the permissions the user gave the old file.
    if (ok && ::stat(targetName.constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    // The target's kind is checked again just before the rename, which must never put a
    // regular file where a device or pipe was.
    struct stat now {};
    if (ok && ::lstat(targetName.constData(), &now) == 0 && !S_ISREG(now.st_mode))
        ok = false;
    ok = ok && ::rename(temporaryName.constData(), targetName.constData()) == 0;
    if (!ok) {
        ::unlink(temporaryName.constData());
        throw Exception(CannotCreate(path));
    }
    SyncDirectory(directory);
    RemoveOrphanedTemporaries(directory, targetInfo.fileName());
}

} // namespace regularfile
