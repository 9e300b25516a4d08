#include "platform/FileLock.h"

#include "platform/Waiting.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QFile>

#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The locks this process holds on paths, by file identity: who holds each, how deeply.
struct Held {
    std::thread::id owner;
    TFileLock::Mode mode;
    int depth = 0;
};
std::mutex heldMutex;
std::map<std::pair<quint64, quint64>, Held>& HeldLocks()
{
    static std::map<std::pair<quint64, quint64>, Held> held;
    return held;
}

QString Busy(const QString& name, const QString& busyMessage)
{
    return busyMessage.isEmpty()
        ? QCoreApplication::translate("TFileLock", "The file %1 is in use by another program").arg(name)
        : busyMessage;
}

QString CannotCreate(const QString& name)
{
    return QCoreApplication::translate("TFileLock", "Cannot create file %1").arg(name);
}

// Tries without blocking until the time is up: a blocking flock cannot be given a timeout
// without signals, which a library must not take over.
void LockWithin(int fd, const QString& name, TFileLock::Mode mode, std::chrono::milliseconds timeout,
                const QString& busyMessage)
{
    const int operation = (mode == TFileLock::Mode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, operation) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throw Exception(CannotCreate(name));
        if (std::chrono::steady_clock::now() >= deadline)
            throw Exception(Busy(name, busyMessage));
        if (!waiting::KeepWaiting(name))
            throw Exception(QCoreApplication::translate("TFileLock", "Gave up waiting: %1").arg(Busy(name, busyMessage)));
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(10));
    }
}

} // namespace

TFileLock::TFileLock(const QString& path, Mode mode, std::chrono::milliseconds timeout, const QString& busyMessage)
{
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        throw Exception(CannotCreate(path));
    ownsFd_ = true;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        ::close(fd_);
        throw Exception(CannotCreate(path));
    }
    device_ = quint64(info.st_dev);
    inode_ = quint64(info.st_ino);
    const auto key = std::make_pair(device_, inode_);
    {
        const std::lock_guard guard(heldMutex);
        const auto found = HeldLocks().find(key);
        if (found != HeldLocks().end() && found->second.owner == std::this_thread::get_id()) {
            // Upgrading a shared lock in place could deadlock against another reader.
            if (mode == Mode::Exclusive && found->second.mode == Mode::Shared) {
                ::close(fd_);
                throw Exception(Busy(path, busyMessage));
            }
            ++found->second.depth;
            ::close(fd_);
            fd_ = -1;
            nested_ = true;
            return;
        }
    }
    try {
        LockWithin(fd_, path, mode, timeout, busyMessage);
    } catch (...) {
        ::close(fd_);
        throw;
    }
    const std::lock_guard guard(heldMutex);
    HeldLocks()[key] = Held { std::this_thread::get_id(), mode, 1 };
    registered_ = true;
}

TFileLock::TFileLock(int fd, const QString& name, Mode mode, std::chrono::milliseconds timeout,
                     const QString& busyMessage)
    : fd_(fd)
{
    LockWithin(fd_, name, mode, timeout, busyMessage);
}

TFileLock::TFileLock(TFileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
    , ownsFd_(std::exchange(other.ownsFd_, false))
    , nested_(std::exchange(other.nested_, false))
    , registered_(std::exchange(other.registered_, false))
    , device_(other.device_)
    , inode_(other.inode_)
{
}

TFileLock::~TFileLock() { Release(); }

void TFileLock::Release()
{
    if (nested_ || registered_) {
        const std::lock_guard guard(heldMutex);
        const auto found = HeldLocks().find({ device_, inode_ });
        if (found != HeldLocks().end() && --found->second.depth <= 0)
            HeldLocks().erase(found);
    }
    if (fd_ >= 0) {
        if (ownsFd_)
            ::close(fd_); // releases the lock
        else
            ::flock(fd_, LOCK_UN);
    }
    fd_ = -1;
    nested_ = registered_ = false;
}
