#include "platform/OutputFile.h"

#include "platform/Exception.h"
#include "platform/FileLock.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kLeftoverPattern = QStringLiteral(".tallyforge-*.part");
constexpr int kMaxNames = 100000;
constexpr std::chrono::milliseconds kLockWait { 5000 };

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

void SyncFolder(const QString& folder)
{
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Moves `from` to `to` unless `to` exists (as anything, a dangling link included).
// Returns 0 or an errno value.
int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without the flag: a hard link never replaces its target either.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

// Writes straight to the descriptor through a buffer of its own and remembers the first
// failure: the PDF engine ignores what its device's writes return.
class TOutputFile::Sink : public QIODevice {
public:
    explicit Sink(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    int Error() const { return error_; }

    bool Drain()
    {
        const char* data = buffer_.constData();
        qsizetype left = buffer_.size();
        while (left > 0 && error_ == 0) {
            const ssize_t n = ::write(fd_, data, size_t(left));
            if (n < 0) {
                if (errno != EINTR)
                    error_ = errno;
                continue;
            }
            if (n == 0) {
                error_ = ENOSPC;
                break;
            }
            data += n;
            left -= n;
        }
        buffer_.clear();
        return error_ == 0;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override
    {
        if (error_ != 0)
            return -1;
        buffer_.append(data, len);
        if (buffer_.size() >= kChunk && !Drain())
            return -1;
        return len;
    }

private:
    static constexpr qsizetype kChunk = 256 * 1024;
    int fd_;
    int error_ = 0;
    QByteArray buffer_;
};

TOutputFile::TOutputFile(const QString& folder, Access access)
    : folder_(QDir(folder).absolutePath())
{
    // Past a file size limit a write should fail like a full disk, not end the process.
    static const bool ignored = (std::signal(SIGXFSZ, SIG_IGN), true);
    (void)ignored;

    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (int attempt = 0; attempt < 10 && fd_ < 0; ++attempt) {
        QByteArray pattern = Native(folder_ + QStringLiteral("/.tallyforge-XXXXXX.part"));
        const int fd = ::mkostemps(pattern.data(), 5, O_CLOEXEC);
        if (fd < 0)
            throw Exception(QCoreApplication::translate("TOutputFile", "Cannot create file %1: %2")
                                .arg(QDir::toNativeSeparators(folder_ + QStringLiteral("/.tallyforge-XXXXXX.part")), Reason(errno)));
        try {
            // Only a clean-up that is about to find it gone can hold it, and only briefly.
            lock_.emplace(fd, QFile::decodeName(pattern), TFileLock::Mode::Exclusive, kLockWait);
        } catch (const Exception&) {
            ::close(fd);
            continue;
        }
        // Another run's clean-up may have removed it before the lock was ours.
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(pattern.constData(), &named) == 0 && held.st_ino == named.st_ino
            && held.st_dev == named.st_dev) {
            ::fchmod(fd, access == Access::OwnerOnly ? 0600 : 0666 & ~mask);
            fd_ = fd;
            temporary_ = QFile::decodeName(pattern);
        } else {
            lock_.reset();
            ::close(fd);
        }
    }
    if (fd_ < 0)
        throw Exception(QCoreApplication::translate("TOutputFile", "Cannot create file in %1").arg(QDir::toNativeSeparators(folder_)));
    sink_ = std::make_unique<Sink>(fd_);
}

TOutputFile::~TOutputFile()
{
    sink_.reset();
    if (!published_)
        ::unlink(Native(temporary_).constData());
    lock_.reset();
    ::close(fd_);
}

QIODevice& TOutputFile::Device() { return *sink_; }

void TOutputFile::Finish()
{
    sink_->Drain();
    int error = sink_->Error();
    if (error == 0 && ::fsync(fd_) != 0)
        error = errno;
    if (error != 0)
        throw Exception(QCoreApplication::translate("TOutputFile", "Cannot write file %1: %2")
                            .arg(QDir::toNativeSeparators(intended_.isEmpty() ? temporary_ : intended_), Reason(error)));
}

QString TOutputFile::Publish(const QString& stem, const QString& suffix, const QString& replaceable)
{
    const QByteArray from = Native(temporary_);
    if (!replaceable.isEmpty()) {
        // Only ever a regular file is replaced: a rename over a pipe or a device would
        // put a file in its place.
        const QString target = QFileInfo(regularfile::WriteTarget(replaceable)).absoluteFilePath();
        if (QFileInfo(target).absolutePath() == folder_) {
            if (::rename(from.constData(), Native(target).constData()) != 0)
                throw Exception(QCoreApplication::translate("TOutputFile", "Cannot create file %1: %2").arg(QDir::toNativeSeparators(replaceable), Reason(errno)));
            published_ = true;
            SyncFolder(folder_);
            return replaceable;
        }
    }
    for (int n = 1; n <= kMaxNames; ++n) {
        const QString name = n == 1 ? stem + suffix : QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
        const QString path = QDir(folder_).filePath(name);
        const int error = RenameNoReplace(from, Native(path));
        if (error == EEXIST)
            continue;
        if (error != 0)
            throw Exception(QCoreApplication::translate("TOutputFile", "Cannot create file %1: %2").arg(QDir::toNativeSeparators(path), Reason(error)));
        published_ = true;
        SyncFolder(folder_);
        return path;
    }
    throw Exception(QCoreApplication::translate("TOutputFile", "Cannot create file %1: %2")
                        .arg(QDir::toNativeSeparators(QDir(folder_).filePath(stem + suffix)), Reason(EEXIST)));
}

void TOutputFile::PublishExactly(const QString& path)
{
    const int error = RenameNoReplace(Native(temporary_), Native(path));
    if (error == EEXIST)
        throw Exception(QCoreApplication::translate("TOutputFile", "The file %1 exists already").arg(QDir::toNativeSeparators(path)));
    if (error != 0)
        throw Exception(QCoreApplication::translate("TOutputFile", "Cannot create file %1: %2").arg(QDir::toNativeSeparators(path), Reason(error)));
    published_ = true;
    SyncFolder(folder_);
}

void TOutputFile::RemoveLeftovers(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({ kLeftoverPattern }, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QByteArray path = Native(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A run that is still writing holds its lock; only an orphan can be taken.
        try {
            const TFileLock lock(fd, name, TFileLock::Mode::Exclusive, std::chrono::milliseconds(0));
            ::unlink(path.constData());
        } catch (const Exception&) {
        }
        ::close(fd);
    }
}
